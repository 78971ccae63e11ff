// zandrel-cli: the title-block read and batch update of the window, for scripts and large batches.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/path_name.h"
#include "base/unicode.h"
#include "base/version.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "cli/batch_report.h"
#include "cli/commands.h"
#include "cli/csv_table.h"
#include "cli/drawing_paths.h"
#include "cli/failure_text.h"
#include "cli/input_file.h"
#include "cli/table_file.h"
#include "cli/terminal.h"
#include "cli/text_encoding.h"
#include "cli/usage_error.h"
#include "cli/values_file.h"
#include "ops/batch_list.h"

namespace {

constexpr const char* kFooter =
    "\n"
    "每个子命令的选项见 zandrel-cli 命令 --help。 Each command's options: zandrel-cli COMMAND "
    "--help.\n"
    "\n"
    "退出状态 Exit status:\n"
    "  0 全部完成 all done;  1 有图形失败 a drawing failed;  2 用法错误，未打开任何图形 usage\n"
    "  error, nothing opened;  3 有图形没有标题栏 a drawing has no title block.\n"
    "\n"
    "示例 Examples:\n"
    "  zandrel-cli read template.dxf > values.tsv           # 29 行：标记、制表符、值\n"
    "  zandrel-cli apply -n values.tsv drawings/*.dxf       # 只看将改变什么 see what would "
    "change\n"
    "  zandrel-cli apply -k values.tsv drawings/*.dxf       # 写入并保存 write and save\n"
    "  zandrel-cli export -r -o 图纸/标题栏.csv 图纸          # 每个图形一行 one row per drawing\n"
    "  #   用 WPS、LibreOffice 或 Excel 编辑后保存为 CSV  edit in a spreadsheet, save as CSV\n"
    "  zandrel-cli import -n 图纸/标题栏.csv                  # 检查 check\n"
    "  zandrel-cli import 图纸/标题栏.csv                     # 写入 write\n"
    "  zandrel-cli restore 图纸/*.dxf                       # 撤销上次保存 undo the last save\n";

// The command line, as the option table fills it in.
struct CommandLine {
    std::string drawing;
    std::string values;
    std::string table;
    std::vector<std::string> drawings;
    std::optional<std::string> output;
    std::string encoding = "auto";
    std::string cad;
    bool dryRun = false;
    bool keepGoing = false;
    bool recursive = false;
};

std::u16string text(const std::string& argument) { return cli::argumentText(argument); }

std::vector<std::u16string> texts(const std::vector<std::string>& arguments) {
    std::vector<std::u16string> result(arguments.size());
    std::transform(arguments.begin(), arguments.end(), result.begin(), text);
    return result;
}

cli::Encoding encodingOf(const std::string& name) {
    const auto encoding = cli::encodingNamed(name);
    if (!encoding) {
        throw cli::UsageError(cad::errc::kInvalidArgument,
                              u"未知的编码“" + text(name) + u"”：可用 auto、utf-8 或 gbk。");
    }
    return *encoding;
}

cli::FieldValues loadValues(const std::u16string& source, cli::Encoding encoding) {
    const std::string bytes = cli::readInputFile(source, u"值文件");
    if (cli::hasExtension(source, u".csv")) {
        return cli::valuesFromTable(cli::parseCsv(cli::decodeText(bytes, encoding, source), source),
                                    source);
    }
    return cli::parseValues(bytes, source == u"-" ? u"-（标准输入）" : source);
}

std::vector<ops::DrawingJob> loadTable(const std::u16string& source, cli::Encoding encoding) {
    const std::string bytes = cli::readInputFile(source, u"表格");
    const auto rows = cli::parseCsv(cli::decodeText(bytes, encoding, source), source);
    // Drawings are named relative to the table's folder (standard input: the current folder).
    const std::u16string folder =
        source == u"-" ? u"" : base::nameOf(base::pathOf(source).parent_path());
    return cli::jobsFromTable(rows, source, folder);
}

// What went wrong on the command line, in the user's language; the parser's own words follow.
std::u16string parseProblem(const CLI::ParseError& e) {
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) return u"缺少命令或参数。";
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) return u"多余或未知的参数。";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) return u"选项缺少值。";
    return u"命令行有误。";
}

CLI::App* addCommand(CLI::App& app, const char* name, const char* description) {
    CLI::App* command = app.add_subcommand(name, description);
    command->footer("");
    return command;
}

// The drawings a command works on, last on its line: files, and folders with -r.
void addDrawingsOperand(CLI::App& command, CommandLine& line) {
    command.add_flag("-r,--recursive", line.recursive,
                     "文件夹代表其下所有 .dxf 图形。 A folder stands for every .dxf below it.");
    command.add_option("DRAWING", line.drawings, "图形或文件夹 drawings or folders")->required();
}

void addBatchFlags(CLI::App& command, CommandLine& line) {
    command.add_flag(
        "-n,--dry-run", line.dryRun,
        "试运行：打开每个图形，输出将改变的每个属性（路径、标记、旧值、新值，以制表符分隔），"
        "不写入也不保存。 Dry run: open each drawing and print every attribute that "
        "would change (path, tag, old, new, tab-separated); write and save nothing.");
    command.add_flag("-k,--keep-going", line.keepGoing,
                     "某个图形失败后继续处理其余图形，最后列出所有失败。 Go on after a failing "
                     "drawing; list every failure at the end.");
}

int run(const std::vector<std::string>& arguments) {
    CLI::App app{
        "zandrel-cli：读取和批量填写图形标题栏的 29 个属性。\n"
        "Reads and fills in the 29 title-block attributes of drawings.",
        "zandrel-cli"};
    app.set_help_flag("-h,--help", "显示帮助 Show help");
    app.set_version_flag("--version", std::string("zandrel-cli ") + base::kVersion,
                         "显示版本 Show the version");
    app.require_subcommand(1, 1);
    CommandLine line;
#ifdef _WIN32
    app.add_option("--cad", line.cad,
                   "在命令之前：要连接的 CAD 应用程序的 ProgID，如 ZWCAD.Application。 Before the "
                   "command: the ProgID of the CAD application to reach, e.g. ZWCAD.Application.");
#endif

    CLI::App* read = addCommand(
        app, "read",
        "按字段顺序输出图形标题栏的 29 个值：标记、制表符、值；控制字符写作 \\xHH。 Print the "
        "drawing's 29 title-block values in field order: tag, tab, value; control characters as "
        "\\xHH.");
    read->add_option("DRAWING", line.drawing, "图形 drawing")->required();

    CLI::App* inspect = addCommand(
        app, "inspect",
        "列出模型空间的每个实体（序号、制表符、EntityName）及块参照的属性。 List every "
        "model-space entity (index, tab, EntityName) and the attributes of block references.");
    inspect->add_option("DRAWING", line.drawing, "图形 drawing")->required();

    CLI::App* apply = addCommand(
        app, "apply",
        "把值文件中列出的非空值写入每个图形中带该标记的所有属性，只保存有改变的图形。 Write "
        "the non-empty values listed in VALUES into every attribute with their tag in each "
        "drawing; save only drawings that change.");
    addBatchFlags(*apply, line);
    apply->add_option("--encoding", line.encoding,
                      ".csv 值文件的编码：auto（默认）、utf-8、gbk。 Encoding of a .csv VALUES: "
                      "auto (default), utf-8, gbk.");
    apply
        ->add_option("VALUES", line.values,
                     "值文件（- 为标准输入）：每行 标记<TAB>值，或两列 CSV（.csv）。 Values file "
                     "(- for standard input): tag<TAB>value lines, or two-column CSV (.csv).")
        ->required();
    addDrawingsOperand(*apply, line);

    CLI::App* exportTable = addCommand(
        app, "export",
        "输出表格（CSV，UTF-8 带 BOM，CRLF）：标题行“图形”和 29 个标记，每个图形一行。 Write "
        "a table (CSV, UTF-8 with BOM, CRLF): a header of 图形 and the 29 tags, one row per "
        "drawing.");
    exportTable->add_flag("-k,--keep-going", line.keepGoing,
                          "跳过无法读取的图形。 Skip drawings that cannot be read.");
    exportTable->add_option("-o,--output", line.output,
                            "写入此文件而不是标准输出；其下的图形路径写成相对路径。 Write to this "
                            "file instead of standard output; drawings below its folder get "
                            "relative paths.");
    addDrawingsOperand(*exportTable, line);

    CLI::App* importTable = addCommand(
        app, "import",
        "把表格的每一行写入它的图形：非空单元格写入带该标记的所有属性，空单元格不改变。 Write "
        "each row of TABLE into its drawing: a non-empty cell into every attribute with its "
        "tag; an empty cell leaves it alone.");
    addBatchFlags(*importTable, line);
    importTable->add_option("--encoding", line.encoding,
                            "表格的编码：auto（默认：UTF-8，否则 GBK）、utf-8、gbk。 The table's "
                            "encoding: auto (default: UTF-8, else GBK), utf-8, gbk.");
    importTable
        ->add_option("TABLE", line.table,
                     "CSV 表格（逗号、分号或制表符分隔；- 为标准输入）。 CSV table "
                     "(comma, semicolon or tab separated; - for standard input).")
        ->required();

    CLI::App* restore = addCommand(
        app, "restore",
        "撤销每个图形的上次保存：图形与它的 .bak 备份互换，再次恢复即重做。只恢复批处理保存过的"
        "图形。 Undo the last save of each drawing: it trades places with its .bak, so a second "
        "restore redoes it. Restore only drawings the batch saved.");
    addDrawingsOperand(*restore, line);
    app.footer(kFooter);

    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();  // the chosen command's, when one was given
        return cli::kAllDone;
    } catch (const CLI::CallForVersion&) {
        std::cout << app.version() << '\n';
        return cli::kAllDone;
    } catch (const CLI::ParseError& e) {
        throw cli::UsageError(cad::errc::kInvalidArgument,
                              parseProblem(e) + u" " + base::utf8ToUtf16(e.what()));
    }

    cli::Console console{std::cout, std::cerr, cli::isTerminal(stderr)};
    // A batch of hundreds would leave hundreds of drawings open in a CAD application.
    const auto makeConnector = [&line] {
        return cad::makePlatformConnector({text(line.cad), /*closeOwnDrawings=*/true});
    };
    const ops::BatchOptions options{line.dryRun, line.keepGoing};
    if (read->parsed() || inspect->parsed()) {
        const auto connector = makeConnector();
        return read->parsed() ? cli::readCommand(*connector, text(line.drawing), console)
                              : cli::inspectCommand(*connector, text(line.drawing), console);
    }
    if (apply->parsed()) {
        const cli::FieldValues values = loadValues(text(line.values), encodingOf(line.encoding));
        const auto drawings = cli::drawingsNamed(texts(line.drawings), line.recursive);
        const auto connector = makeConnector();
        return cli::batchCommand(*connector, cli::sameValuesFor(drawings, values), options,
                                 *cad::makePlatformDrawingFiles(), console);
    }
    if (exportTable->parsed()) {
        const auto drawings = cli::drawingsNamed(texts(line.drawings), line.recursive);
        const auto connector = makeConnector();
        const auto output = line.output ? std::optional(text(*line.output)) : std::nullopt;
        // A slip of the keyboard must not write a table over a drawing or its backup.
        if (output && (cli::hasExtension(*output, u".dxf") || cli::hasExtension(*output, u".dwg") ||
                       cli::hasExtension(*output, u".bak"))) {
            throw cli::UsageError(cad::errc::kInvalidArgument,
                                  u"-o " + *output + u"：表格不能写入图形或备份文件，请用 .csv。");
        }
        return cli::exportCommand(*connector, drawings, output, line.keepGoing, console);
    }
    if (importTable->parsed()) {
        const auto jobs = loadTable(text(line.table), encodingOf(line.encoding));
        const auto connector = makeConnector();
        return cli::batchCommand(*connector, jobs, options, *cad::makePlatformDrawingFiles(),
                                 console);
    }
    return cli::restoreCommand(cli::drawingsNamed(texts(line.drawings), line.recursive), console);
}

void printFailure(const cad::Error& e) { std::cerr << cli::failureText(e) << '\n'; }

}  // namespace

int main(int argc, char** argv) {
    cli::useUtf8Streams();
    cad::deferTerminationDuringSaves();
    try {
        const int status = run(cli::programArguments(argc, argv));
        std::cout.flush();
        if (!std::cout) {
            printFailure({cad::errc::kWriteFault, u"无法写入标准输出。"});
            return cli::kSomeFailed;
        }
        return status;
    } catch (const cli::UsageError& e) {
        printFailure(e);
        std::cerr << "用 zandrel-cli --help 查看用法。 See zandrel-cli --help.\n";
        return cli::kUsageError;
    } catch (const ops::BatchListError& e) {
        // Found before any drawing was opened: the list itself is at fault, as with a usage error.
        printFailure(e);
        return cli::kUsageError;
    } catch (const cad::Error& e) {
        printFailure(e);
        return cli::kSomeFailed;
    } catch (const std::exception& e) {
        printFailure({cad::errc::kUnexpected, base::utf8ToUtf16(e.what())});
        return cli::kSomeFailed;
    }
}
