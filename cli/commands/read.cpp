// read: the 29 values of one drawing's title block, in the order of the window's fields.

#include <CLI/CLI.hpp>

#include "base/unicode.h"
#include "cli/cad_session.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/escape.h"
#include "cli/exit_status.h"
#include "ops/reported_batch.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

class Read : public Command {
public:
    Read()
        : Command("read",
                  "按字段顺序输出图形标题栏的 29 个值：标记、制表符、值；控制字符写作 \\xHH。 "
                  "Print the drawing's 29 title-block values in field order: tag, tab, value; "
                  "control characters as \\xHH.") {}

    void addOptions(CLI::App& subcommand) override {
        layouts_.addTo(subcommand);
        operand_.addTo(subcommand);
    }

    // One line per field: tag, tab, escaped value. A drawing without any of the 29 tags prints
    // nothing, so that piping it into apply cannot blank every attribute; the error stream says
    // so, with status 3.
    int execute(Console& console) override {
        const std::u16string drawing = operand_.drawing();
        const CadSession session(console);
        const auto values =
            ops::readTitleBlockValues(session.connection(), drawing, layouts_.layouts()).values;
        if (values.empty()) {
            console.err << "无标题栏 no title block: " << shownValue(drawing)
                        << (layouts_.layouts()
                                ? "（模型空间和布局中都没有 29 个标记中的任何一个 none of the 29 "
                                  "tags in model space or the layouts）\n"
                                : "（模型空间中没有 29 个标记中的任何一个 none of the 29 tags in "
                                  "model space）\n");
            return kSomeWithoutTitleBlock;
        }
        for (const int field : titleblock::fieldsInOrder()) {
            const auto value = values.find(field);
            // A tag the drawing lacks shows what start-up put into its field.
            console.out << base::utf16ToUtf8(titleblock::tagForField(field)) << '\t'
                        << shownValue(value != values.end() ? value->second
                                                            : session.fields().text(field))
                        << '\n';
        }
        return kAllDone;
    }

private:
    LayoutsFlag layouts_;
    DrawingOperand operand_;
};

}  // namespace

std::unique_ptr<Command> makeReadCommand() { return std::make_unique<Read>(); }

}  // namespace cli
