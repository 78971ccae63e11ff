#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "base/unicode.h"
#include "cad/platform_connector.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_translations.h"
#include "ui/shared/product.h"

namespace {

// Qt ends with abort() when it cannot reach a display; say why, in both languages, and end as
// a failed program does instead.
void reportMissingDisplay(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    std::fprintf(stderr,
                 "Zandrel 无法打开窗口：没有可用的图形显示（例如通过 SSH 登录且没有转发 X11）。"
                 "没有显示时请使用 zandrel-cli。\n"
                 "Zandrel cannot open its window: no display is available (for instance over SSH "
                 "without X11 forwarding). Use zandrel-cli where there is no display.\n(%s)\n",
                 message.toLocal8Bit().constData());
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    const app::StartRequest request = app::parseCommandLine(argc, argv);
    if (request.exitStatus) return *request.exitStatus;
    const QtMessageHandler previous = qInstallMessageHandler(reportMissingDisplay);
    QApplication application(argc, argv);
    cad::deferTerminationDuringSaves();
    qInstallMessageHandler(previous);
    QApplication::setApplicationName(QString::fromUtf8(shared::kProductName));
    // Lets the desktop match the window to its menu entry and icon (Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("zandrel"));
    ui::loadQtChineseTranslations(application);
    ui::frmTolm window(cad::makePlatformConnector(), cad::makePlatformDrawingFiles());
    window.show();
    // As if the drawing had been chosen through 读取标准文件内容.
    if (!request.templatePath.empty())
        window.readTemplateFile(base::utf8ToUtf16(request.templatePath));
    return QApplication::exec();
}
