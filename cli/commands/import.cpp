// import: each row of a table, as export writes it and a spreadsheet saves it, into its drawing.

#include <CLI/CLI.hpp>

#include "base/path_name.h"
#include "cli/batch_run.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/input_file.h"
#include "cli/table_file.h"
#include "cli/table_format.h"
#include "cli/terminal.h"

namespace cli {

namespace {

std::vector<ops::DrawingJob> loadTable(const std::u16string& source, Encoding encoding) {
    const std::string bytes = readInputFile(source, u"表格");
    const auto rows = parseTable(bytes, encoding, source);
    // Drawings are named relative to the table's folder (standard input: the current folder).
    const std::u16string folder =
        source == u"-" ? u"" : base::nameOf(base::pathOf(source).parent_path());
    return jobsFromTable(rows, source, folder);
}

class Import : public Command {
public:
    Import()
        : Command("import",
                  "把表格的每一行写入它的图形：非空单元格写入带该标记的所有属性，空单元格不改变。"
                  " Write each row of TABLE into its drawing: a non-empty cell into every "
                  "attribute with its tag; an empty cell leaves it alone.") {}

    void addOptions(CLI::App& subcommand) override {
        batchFlags_.addTo(subcommand);
        acceptNumbers_.addTo(
            subcommand,
            "写入表格程序改变了格式的数字（如 007 成了 7、0.10 成了 0.1），不拒绝这一行。 Write "
            "numbers a spreadsheet reformatted (007 became 7, 0.10 became 0.1) instead of "
            "refusing their row.");
        encoding_.addTo(subcommand,
                        "表格的编码：auto（默认：按字节顺序标记，否则 UTF-8，否则 GBK）、utf-8、"
                        "utf-16、gbk、big5。 The table's encoding: auto (default: by its "
                        "byte-order mark, else UTF-8, else GBK), utf-8, utf-16, gbk, big5.");
        subcommand
            .add_option("TABLE", table_,
                        "表格：.xlsx 工作簿的第一个工作表，或 CSV（逗号、分号或制表符分隔；- 为"
                        "标准输入）。 Table: the first sheet of an .xlsx workbook, or CSV (comma, "
                        "semicolon or tab separated; - for standard input).")
            ->required();
    }

    int execute(Console& console) override {
        ops::BatchOptions options = batchFlags_.options();
        options.guard = acceptNumbers_.guard();
        return runBatch(loadTable(argumentText(table_), encoding_.encoding()), options, console);
    }

private:
    BatchFlags batchFlags_;
    AcceptNumbersFlag acceptNumbers_;
    EncodingOption encoding_;
    std::string table_;
};

}  // namespace

std::unique_ptr<Command> makeImportCommand() { return std::make_unique<Import>(); }

}  // namespace cli
