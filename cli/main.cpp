// zandrel-cli: the title-block read and batch update of the window, for scripts and large batches.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "base/version.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/usage_error.h"
#include "cli/values_file.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp =
    "用法 Usage:\n"
    "  zandrel-cli read DRAWING\n"
    "      读取图形模型空间中的标题栏属性，按字段顺序输出 29 行：标记、制表符、值。\n"
    "      Read the title-block attributes in the drawing's model space and print 29 lines in\n"
    "      field order: tag, tab, value.\n"
    "  zandrel-cli apply VALUES DRAWING...\n"
    "      把值文件（- 表示标准输入）中列出的字段写入每个图形的标题栏并保存；未列出的字段不写。\n"
    "      Write the fields listed in VALUES (- for standard input) into the title blocks of\n"
    "      every drawing and save each; fields not listed are not written.\n"
    "  zandrel-cli inspect DRAWING\n"
    "      列出模型空间的每个实体（序号、制表符、EntityName）及块参照的属性。\n"
    "      List every model-space entity (index, tab, EntityName) and the attributes of block\n"
    "      references.\n"
    "  zandrel-cli --help | --version\n"
    "\n"
    "值文件 Values file:\n"
    "  UTF-8，每行一个字段：标记、制表符、值；值中的 \\ 制表符 换行 回车 写作 \\\\ \\t \\n \\r。\n"
    "  空行被忽略；未知或重复的标记和格式错误的行都是用法错误，此时不打开任何图形。\n"
    "  UTF-8, one field per line: tag, tab, value; backslash, tab, newline and carriage return\n"
    "  in values are written \\\\ \\t \\n \\r. Blank lines are skipped; an unknown or repeated "
    "tag\n"
    "  or a malformed line is a usage error, and then no drawing is opened.\n"
    "\n"
    "退出状态 Exit status:\n"
    "  0 成功 success;  1 读取或更新失败 a read or update failed;  2 用法错误 usage error\n"
    "\n"
    "示例 Example:\n"
    "  zandrel-cli read template.dxf > values.tsv\n"
    "  zandrel-cli apply values.tsv drawings/*.dxf\n";

[[noreturn]] void usage(std::u16string description) {
    throw cli::UsageError(cad::errc::kInvalidArgument, std::move(description));
}

std::string readAll(std::istream& in) {
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

cli::FieldValues loadValues(const std::u16string& source) {
    if (source == u"-") return cli::parseValues(readAll(std::cin), u"-（标准输入）");
    std::ifstream file(std::filesystem::path(source), std::ios::binary);
    if (!file) throw cli::UsageError(cad::errc::kFileNotFound, u"无法读取值文件 " + source + u"。");
    return cli::parseValues(readAll(file), source);
}

void printFailure(const cad::Error& e) {
    std::cerr << "错误 " << e.number() << ": " << base::utf16ToUtf8(e.description()) << '\n';
}

// Carries out the command line; throws UsageError before any drawing is opened when it cannot.
void run(const std::vector<std::u16string>& args) {
    if (args.empty()) usage(u"缺少命令。");
    const std::u16string& command = args[0];
    const std::size_t operands = args.size() - 1;
    if (command == u"--help" || command == u"-h") {
        if (operands != 0) usage(u"--help 不带参数。");
        std::cout << kHelp;
        return;
    }
    if (command == u"--version") {
        if (operands != 0) usage(u"--version 不带参数。");
        std::cout << "zandrel-cli " << base::kVersion << '\n';
        return;
    }

    cli::Console console{std::cout, std::cerr, cli::isTerminal(stderr)};
    if (command == u"read" || command == u"inspect") {
        if (operands != 1) usage(command + u" 需要正好一个图形文件。");
        const auto connector = cad::makePlatformConnector();
        if (command == u"read") {
            cli::readCommand(*connector, args[1], console);
        } else {
            cli::inspectCommand(*connector, args[1], console);
        }
        return;
    }
    if (command == u"apply") {
        if (operands < 2) usage(u"apply 需要一个值文件和至少一个图形文件。");
        const cli::FieldValues values = loadValues(args[1]);
        const std::vector<std::u16string> drawings(args.begin() + 2, args.end());
        const auto connector = cad::makePlatformConnector();
        cli::applyCommand(*connector, values, drawings, console);
        return;
    }
    usage(u"未知的命令“" + command + u"”。");
}

}  // namespace

int main(int argc, char** argv) {
    cli::useUtf8Streams();
    try {
        run(cli::programArguments(argc, argv));
        std::cout.flush();
        if (!std::cout) {
            printFailure({cad::errc::kWriteFault, u"无法写入标准输出。"});
            return kFailure;
        }
        return kSuccess;
    } catch (const cli::UsageError& e) {
        printFailure(e);
        std::cerr << "用 zandrel-cli --help 查看用法。 See zandrel-cli --help.\n";
        return kUsage;
    } catch (const cad::Error& e) {
        printFailure(e);
        return kFailure;
    } catch (const std::exception& e) {
        printFailure({cad::errc::kUnexpected, base::utf8ToUtf16(e.what())});
        return kFailure;
    }
}
