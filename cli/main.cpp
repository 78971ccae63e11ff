// zandrel-cli: the title-block read and batch update of the window, for scripts and large batches.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/unicode.h"
#include "base/version.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "cli/commands/commands.h"
#include "cli/exit_status.h"
#include "cli/failure_text.h"
#include "cli/terminal.h"
#include "cli/usage_error.h"
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
    "  zandrel-cli export -r -o 图纸/标题栏.xlsx 图纸         # 每个图形一行 one row per drawing\n"
    "  #   用 WPS、LibreOffice 或 Excel 编辑后保存  edit in a spreadsheet, save\n"
    "  zandrel-cli import -n 图纸/标题栏.xlsx                 # 检查 check\n"
    "  zandrel-cli import 图纸/标题栏.xlsx                    # 写入 write\n"
    "  zandrel-cli restore 图纸/*.dxf                       # 撤销上次保存 undo the last save\n";

// What went wrong on the command line, in the user's language; the parser's own words follow.
std::u16string parseProblem(const CLI::ParseError& e) {
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) return u"缺少命令或参数。";
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) return u"多余或未知的参数。";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) return u"选项缺少值。";
    return u"命令行有误。";
}

// The commands, in the order the help lists them.
constexpr std::array kCommands{
    cli::makeReadCommand,   cli::makeInspectCommand, cli::makeApplyCommand,
    cli::makeExportCommand, cli::makeImportCommand,  cli::makeRestoreCommand,
};

int run(const std::vector<std::string>& arguments) {
    CLI::App app{
        "zandrel-cli：读取和批量填写图形标题栏的 29 个属性。\n"
        "Reads and fills in the 29 title-block attributes of drawings.",
        "zandrel-cli"};
    app.set_help_flag("-h,--help", "显示帮助 Show help");
    app.set_version_flag("--version", std::string("zandrel-cli ") + base::kVersion,
                         "显示版本 Show the version");
    app.require_subcommand(1, 1);
    std::string cad;
#ifdef _WIN32
    app.add_option("--cad", cad,
                   "在命令之前：要连接的 CAD 应用程序的 ProgID，如 ZWCAD.Application。 Before the "
                   "command: the ProgID of the CAD application to reach, e.g. ZWCAD.Application.");
#endif
    // Each command keeps its own options, so every one of them lives until the end of the run.
    std::vector<std::pair<CLI::App*, std::unique_ptr<cli::Command>>> commands;
    for (const auto& make : kCommands) {
        auto command = make();
        CLI::App* subcommand = app.add_subcommand(command->name(), command->description());
        subcommand->footer("");
        command->addOptions(*subcommand);
        commands.emplace_back(subcommand, std::move(command));
    }
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

    // A batch of hundreds would leave hundreds of drawings open in a CAD application. Each
    // drawing stays claimed from its open to its save, so that no second run edits it meanwhile.
    cli::Console console{
        std::cout,
        std::cerr,
        cli::isTerminal(stderr),
        {cli::argumentText(cad), /*closeOwnDrawings=*/true, /*holdDrawings=*/true}};
    // The parse has required exactly one command.
    const auto chosen = std::find_if(commands.begin(), commands.end(),
                                     [](const auto& command) { return command.first->parsed(); });
    return chosen->second->execute(console);
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
