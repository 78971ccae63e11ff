// apply: the same values, from a values file, into every drawing named.

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/batch_run.h"
#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/drawing_paths.h"
#include "cli/input_file.h"
#include "cli/table_file.h"
#include "cli/table_format.h"
#include "cli/terminal.h"
#include "cli/values_file.h"

namespace cli {

namespace {

// A values file in the `read` format, or a two-column table when its name is a table's.
FieldValues loadValues(const std::u16string& source, Encoding encoding) {
    const std::string bytes = readInputFile(source, u"值文件");
    if (isTableName(source)) {
        return valuesFromTable(parseTable(bytes, encoding, source), source);
    }
    return parseValues(bytes, source == u"-" ? u"-（标准输入）" : source);
}

std::vector<ops::DrawingJob> sameValuesFor(const std::vector<std::u16string>& drawings,
                                           const FieldValues& values) {
    std::vector<ops::DrawingJob> jobs(drawings.size());
    std::transform(drawings.begin(), drawings.end(), jobs.begin(),
                   [&values](const std::u16string& drawing) {
                       return ops::DrawingJob{drawing, values};
                   });
    return jobs;
}

class Apply : public Command {
public:
    Apply()
        : Command("apply",
                  "把值文件中列出的非空值写入每个图形中带该标记的所有属性，只保存有改变的图形。 "
                  "Write the non-empty values listed in VALUES into every attribute with their "
                  "tag in each drawing; save only drawings that change.") {}

    void addOptions(CLI::App& subcommand) override {
        batchFlags_.addTo(subcommand);
        acceptNumbers_.addTo(
            subcommand,
            "表格值文件（.csv、.xlsx）：写入表格程序改变了格式的数字（如 007 成了 7、0.10 成了 "
            "0.1），不拒绝这个图形。 Table VALUES (.csv, .xlsx): write numbers a spreadsheet "
            "reformatted (007 became 7, 0.10 became 0.1) instead of refusing the drawing.");
        encoding_.addTo(subcommand,
                        ".csv 值文件的编码：auto（默认）、utf-8、utf-16、gbk、big5。 Encoding of a "
                        ".csv VALUES: auto (default), utf-8, utf-16, gbk, big5.");
        subcommand
            .add_option("VALUES", values_,
                        "值文件（- 为标准输入）：每行 标记<TAB>值，或两列表格（.csv、.xlsx）。 "
                        "Values file (- for standard input): tag<TAB>value lines, or a "
                        "two-column table (.csv, .xlsx).")
            ->required();
        drawings_.addTo(subcommand);
    }

    int execute(Console& console) override {
        const std::u16string source = argumentText(values_);
        const FieldValues values = loadValues(source, encoding_.encoding());
        ops::BatchOptions options = batchFlags_.options();
        // A table may have been through a spreadsheet; a values file in the read format has not.
        if (isTableName(source)) options.guard = acceptNumbers_.guard();
        return runBatch(sameValuesFor(drawings_.drawings(), values), options, console);
    }

private:
    BatchFlags batchFlags_;
    AcceptNumbersFlag acceptNumbers_;
    EncodingOption encoding_;
    std::string values_;
    DrawingOperands drawings_;
};

}  // namespace

std::unique_ptr<Command> makeApplyCommand() { return std::make_unique<Apply>(); }

}  // namespace cli
