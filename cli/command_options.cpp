#include "cli/command_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/drawing_paths.h"
#include "cli/spreadsheet_numbers.h"
#include "cli/terminal.h"
#include "cli/usage_error.h"

namespace cli {

void DrawingOperand::addTo(CLI::App& subcommand) {
    subcommand.add_option("DRAWING", name_, "图形 drawing")->required();
}

std::u16string DrawingOperand::drawing() const { return argumentText(name_); }

void DrawingOperands::addTo(CLI::App& subcommand) {
    subcommand.add_flag("-r,--recursive", recursive_,
                        "文件夹代表其下所有 .dxf 图形。 A folder stands for every .dxf below it.");
    subcommand.add_option("DRAWING", names_, "图形或文件夹 drawings or folders")->required();
}

std::vector<std::u16string> DrawingOperands::drawings() const {
    std::vector<std::u16string> operands(names_.size());
    std::transform(names_.begin(), names_.end(), operands.begin(), argumentText);
    return drawingsNamed(operands, recursive_);
}

void LayoutsFlag::addTo(CLI::App& subcommand) {
    subcommand.add_flag("--layouts", layouts_,
                        "模型空间之后，按布局选项卡的顺序也处理每个图纸空间布局中的块参照。 After "
                        "model space, walk the block references of every paper-space layout too, "
                        "in the order of the layout tabs.");
}

void BatchFlags::addTo(CLI::App& subcommand) {
    subcommand.add_flag(
        "-n,--dry-run", dryRun_,
        "试运行：打开每个图形，输出将改变的每个属性（路径、标记、旧值、新值，以制表符分隔），"
        "不写入也不保存。 Dry run: open each drawing and print every attribute that "
        "would change (path, tag, old, new, tab-separated); write and save nothing.");
    subcommand.add_flag("-k,--keep-going", keepGoing_,
                        "某个图形失败后继续处理其余图形，最后列出所有失败。 Go on after a failing "
                        "drawing; list every failure at the end.");
    workers_.addTo(subcommand);
    layouts_.addTo(subcommand);
}

void WorkersOption::addTo(CLI::App& subcommand) {
    subcommand
        .add_option("-j,--jobs", workers_,
                    "同时处理的图形数（默认 4；CAD 应用程序一次只处理一个）。报告仍按列表顺序。 "
                    "Drawings done at once (default 4; a CAD application does one at a time). "
                    "The report keeps the order of the list.")
        ->type_name("N")
        ->check(CLI::Range(std::size_t{1}, std::size_t{64}).description(""));
}

void AcceptNumbersFlag::addTo(CLI::App& subcommand, const char* help) {
    subcommand.add_flag("--accept-numbers", acceptNumbers_, help);
}

ops::ChangeGuard AcceptNumbersFlag::guard() const {
    return acceptNumbers_ ? ops::ChangeGuard() : ops::ChangeGuard(spreadsheetNumberRefusal);
}

void EncodingOption::addTo(CLI::App& subcommand, const char* help) {
    subcommand.add_option("--encoding", name_, help);
}

Encoding EncodingOption::encoding() const {
    const auto encoding = encodingNamed(name_);
    if (!encoding) {
        throw UsageError(
            cad::errc::kInvalidArgument,
            u"未知的编码“" + argumentText(name_) + u"”：可用 auto、utf-8、utf-16、gbk 或 big5。");
    }
    return *encoding;
}

}  // namespace cli
