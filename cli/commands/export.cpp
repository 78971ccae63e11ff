// export: a table of the title blocks of many drawings, one row each, for a spreadsheet.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <variant>

#include "base/path_name.h"
#include "base/unicode.h"
#include "cad/error.h"
#include "cli/cad_session.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/csv_table.h"
#include "cli/drawing_paths.h"
#include "cli/escape.h"
#include "cli/exit_status.h"
#include "cli/failure_text.h"
#include "cli/table_file.h"
#include "cli/table_format.h"
#include "cli/terminal.h"
#include "cli/usage_error.h"
#include "ops/reported_batch.h"
#include "ops/worker_connections.h"
#include "storage/backup.h"
#include "storage/error.h"
#include "storage/replacement_file.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// How a drawing is named in an exported table: relative to the table's folder when below it, so
// that the table and the drawings can move together.
std::u16string tablePathOf(const std::u16string& drawing, const fs::path& tableFolder) {
    const fs::path absolute = fs::absolute(base::pathOf(drawing)).lexically_normal();
    if (!tableFolder.empty()) {
        const fs::path relative = absolute.lexically_relative(tableFolder);
        if (!relative.empty() && *relative.begin() != "..") {
            return base::nameOf(relative);
        }
    }
    return base::nameOf(absolute);
}

// The table file `output` is to be written to, refused where a slip of the keyboard (or a link
// planted under its name) would write the table over a drawing, a backup or something that is no
// file at all.
fs::path checkedTableFile(const std::u16string& output) {
    const fs::path file = storage::savedFileOf(base::pathOf(output));
    const std::u16string name = base::nameOf(file.filename());
    if (hasExtension(name, u".dxf") || hasExtension(name, u".dwg") || hasExtension(name, u".bak")) {
        throw UsageError(cad::errc::kInvalidArgument,
                         u"-o " + output + u"：表格不能写入图形或备份文件，请用 .xlsx 或 .csv。");
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        throw UsageError(cad::errc::kNotRegularFile,
                         u"-o " + output + u"：它不是普通文件，表格不能写入其中。");
    }
    return file;
}

// The table row of `drawing`, its values in the order of the header; one without a title block
// is told of, and its row left empty.
TableRow rowOf(const std::u16string& drawing, const std::map<int, std::u16string>& values,
               const fs::path& tableFolder, Console& console, int& status) {
    if (values.empty()) {
        console.err << "无标题栏 no title block: " << shownValue(drawing)
                    << "（这一行的值都是空的 its row is empty）\n";
        if (status == kAllDone) status = kSomeWithoutTitleBlock;
    }
    TableRow row{tablePathOf(drawing, tableFolder)};
    for (const auto& mapRow : titleblock::kFieldMap) {
        const auto value = values.find(mapRow.field);
        row.push_back(value == values.end() ? u"" : value->second);
    }
    return row;
}

void writeOutput(const std::optional<fs::path>& tableFile, const std::string& bytes,
                 Console& console) {
    if (!tableFile) {
        console.out << bytes;
        return;
    }
    try {
        // Never cut short in place: a full disk or a crash leaves the table as it was.
        storage::replaceContent(*tableFile, bytes);
    } catch (const storage::Error& e) {
        // Its description names the table and the cause.
        throw cad::Error(cad::errc::kWriteFault, base::utf8ToUtf16(e.what()));
    }
}

// A title block found in several places with different values: its row has the first of each.
void warnOfDiffering(const std::u16string& drawing, const std::vector<std::u16string>& tags,
                     Console& console) {
    if (tags.empty()) return;
    std::u16string listed;
    for (const auto& tag : tags) listed += (listed.empty() ? u"" : u"、") + tag;
    const cad::Error differs(
        cad::errc::kTitleBlockDiffers,
        u"标题栏出现了不止一次，值不同（" + listed +
            u"）：表格中是最先找到的值（先模型空间，再按选项卡顺序的各布局）。");
    console.err << "警告 warning: " << shownValue(drawing) << ": " << failureText(differs) << '\n';
}

class Export : public Command {
public:
    Export()
        : Command("export",
                  "输出表格（.xlsx 工作簿，或 CSV：UTF-8 带 BOM，CRLF）：标题行“图形”和 29 个"
                  "标记，每个图形一行。 Write a table (.xlsx workbook, or CSV: UTF-8 with BOM, "
                  "CRLF): a header of 图形 and the 29 tags, one row per drawing.") {}

    void addOptions(CLI::App& subcommand) override {
        subcommand.add_flag("-k,--keep-going", keepGoing_,
                            "跳过无法读取的图形。 Skip drawings that cannot be read.");
        subcommand.add_option("-o,--output", output_,
                              "写入此文件而不是标准输出：名字以 .xlsx 结尾时为工作簿，否则为 CSV；"
                              "其下的图形路径写成相对路径。 Write to this file instead of "
                              "standard output: a workbook when its name ends in .xlsx, else "
                              "CSV; drawings below its folder get relative paths.");
        workers_.addTo(subcommand);
        layouts_.addTo(subcommand);
        drawings_.addTo(subcommand);
    }

    // Prints (or writes to the output file) the table of the drawings' title blocks.
    int execute(Console& console) override {
        const auto drawings = drawings_.drawings();
        const auto output = output_ ? std::optional(argumentText(*output_)) : std::nullopt;
        const auto tableFile = output ? std::optional(checkedTableFile(*output)) : std::nullopt;
        if (output) refuseForeignWorkbook(*output);
        const CadSession session(console);
        const fs::path tableFolder =
            output ? fs::absolute(base::pathOf(*output)).lexically_normal().parent_path()
                   : fs::path();

        std::vector<TableRow> rows{tableHeader()};
        int status = kAllDone;
        bool stopped = false;  // by a failure, without -k: no table is written
        using Read = std::variant<ops::TitleBlockRead, cad::Error>;
        ops::runOnConnections<Read>(
            session.connection(), drawings.size(), workers_.workers(),
            [&](const cad::Connection& connection, std::size_t index) -> Read {
                try {
                    return ops::readTitleBlockValues(connection, drawings[index],
                                                     layouts_.layouts());
                } catch (const cad::Error& e) {
                    return e;
                }
            },
            [&](std::size_t index, Read& read) {
                const std::u16string& drawing = drawings[index];
                if (const auto* failure = std::get_if<cad::Error>(&read)) {
                    console.err << "失败 failed: " << shownValue(drawing) << ": "
                                << failureText(*failure) << '\n';
                    status = kSomeFailed;
                    stopped = stopped || !keepGoing_;
                } else if (!stopped) {
                    const auto& values = std::get<ops::TitleBlockRead>(read);
                    warnOfDiffering(drawing, values.differing, console);
                    rows.push_back(rowOf(drawing, values.values, tableFolder, console, status));
                }
                return !stopped;
            });
        if (stopped) return kSomeFailed;
        writeOutput(tableFile, output ? formatTable(rows, *output) : formatCsv(rows), console);
        return status;
    }

private:
    bool keepGoing_ = false;
    LayoutsFlag layouts_;
    std::optional<std::string> output_;
    WorkersOption workers_;
    DrawingOperands drawings_;
};

}  // namespace

std::unique_ptr<Command> makeExportCommand() { return std::make_unique<Export>(); }

}  // namespace cli
