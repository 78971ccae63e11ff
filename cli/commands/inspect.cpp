// inspect: what the model-space walk sees in one drawing, so that a user can tell why a tag does
// not match.

#include <CLI/CLI.hpp>

#include "cli/cad_session.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/escape.h"
#include "cli/exit_status.h"
#include "ops/model_space_walk.h"

namespace cli {

namespace {

class Inspect : public Command {
public:
    Inspect()
        : Command("inspect",
                  "列出模型空间的每个实体（序号、制表符、EntityName）及块参照的属性。 List every "
                  "model-space entity (index, tab, EntityName) and the attributes of block "
                  "references.") {}

    void addOptions(CLI::App& subcommand) override {
        layouts_.addTo(subcommand);
        operand_.addTo(subcommand);
    }

    // The code page the drawing's text is read in, then one line per model-space entity: index,
    // tab, EntityName; under a block reference one line per attribute: two spaces, tag, tab,
    // value (tag and value escaped). With --layouts each paper-space layout follows, under a line
    // that numbers it in tab order, its entities numbered from 0.
    int execute(Console& console) override {
        const std::u16string drawing = operand_.drawing();
        const CadSession session(console, CadSession::Walk::kEveryEntity);
        const ops::OpenedDrawing opened = ops::openDrawing(session.connection(), drawing);
        if (const auto codePage = opened.document->codePage()) {
            console.out << "代码页 code page: " << shownValue(codePage->name)
                        << (codePage->guessed ? "（推测：图形未指明或无法识别代码页 guessed）" : "")
                        << '\n';
        }
        const auto spaces = ops::walkedSpaces(opened, layouts_.layouts());
        for (std::size_t space = 0; space < spaces.size(); ++space) {
            if (space > 0) console.out << "布局 layout " << space << '\n';
            ops::walkModelSpace(
                *spaces[space], spaces[space]->count(),
                [&console](std::int32_t index, const std::u16string& name) {
                    console.out << index << '\t' << shownValue(name) << '\n';
                },
                [&console](const std::shared_ptr<cad::Attribute>& attribute) {
                    console.out << "  " << shownValue(attribute->tagString()) << '\t'
                                << shownValue(attribute->textString()) << '\n';
                });
        }
        return kAllDone;
    }

private:
    LayoutsFlag layouts_;
    DrawingOperand operand_;
};

}  // namespace

std::unique_ptr<Command> makeInspectCommand() { return std::make_unique<Inspect>(); }

}  // namespace cli
