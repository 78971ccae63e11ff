#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "base/version.h"

namespace app {

namespace {

constexpr int kUsageError = 2;

constexpr const char* kFooter =
    "\n"
    "示例 Examples:\n"
    "  zandrel                  # 打开窗口 open the window\n"
    "  zandrel 标题栏模板.dxf   # 打开窗口并读取该图形的标题栏 open the window with this "
    "drawing's title block read\n"
    "\n"
    "没有图形显示时请使用 zandrel-cli。 Use zandrel-cli where there is no display.\n";

}  // namespace

StartRequest parseCommandLine(int argc, const char* const argv[]) {
    CLI::App parser{
        "zandrel：读取标准图形的标题栏内容，一次写入多个图形。\n"
        "Reads the title block of a template drawing and writes it into many drawings at once.",
        "zandrel"};
    parser.set_help_flag("-h,--help", "显示帮助 Show help");
    parser.set_version_flag("--version", std::string("zandrel ") + base::kVersion,
                            "显示版本 Show the version");
    StartRequest request;
    parser.add_option("DRAWING", request.templatePath,
                      "启动后读取其标题栏的标准图形 template drawing to read at start");
    parser.footer(kFooter);
    try {
        parser.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << parser.help();
        request.exitStatus = 0;
    } catch (const CLI::CallForVersion&) {
        std::cout << parser.version() << '\n';
        request.exitStatus = 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "错误 0x80070057 (-2147024809): 命令行有误。 " << e.what()
                  << "\n用 zandrel --help 查看用法。 See zandrel --help.\n";
        request.exitStatus = kUsageError;
    }
    return request;
}

}  // namespace app
