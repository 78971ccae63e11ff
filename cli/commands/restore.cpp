// restore: undoes the last save of each drawing named, from its backup.

#include <CLI/CLI.hpp>

#include "cad/platform_connector.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/escape.h"
#include "cli/exit_status.h"
#include "cli/failure_text.h"
#include "ops/restore_saves.h"

namespace cli {

namespace {

class Restore : public Command {
public:
    Restore()
        : Command("restore",
                  "撤销每个图形的上次保存：图形与它的 .bak 备份互换，再次恢复即重做。"
                  "只恢复批处理保存过的图形。 Undo the last save of each drawing: it trades places "
                  "with its .bak, so a second restore redoes it. Restore only drawings the batch "
                  "saved.") {}

    void addOptions(CLI::App& subcommand) override {
        workers_.addTo(subcommand);
        drawings_.addTo(subcommand);
    }

    // One line per drawing on the error stream: restored, or the failure that left it as it was.
    int execute(Console& console) override {
        const auto drawings = drawings_.drawings();
        int status = kAllDone;
        ops::restoreLastSaves(
            *cad::makePlatformDrawingFiles(), drawings, workers_.workers(),
            [&](std::size_t index, const std::optional<cad::Error>& failure) {
                console.err << '[' << index + 1 << '/' << drawings.size() << "] "
                            << shownValue(drawings[index]) << ' ';
                if (failure) {
                    console.err << "失败 failed: " << failureText(*failure) << '\n';
                    status = kSomeFailed;
                } else {
                    console.err << "已恢复 restored（与备份交换 exchanged with its .bak）\n";
                }
            });
        return status;
    }

private:
    WorkersOption workers_;
    DrawingOperands drawings_;
};

}  // namespace

std::unique_ptr<Command> makeRestoreCommand() { return std::make_unique<Restore>(); }

}  // namespace cli
