#include <QApplication>

#include "app/main_window.h"
#include "cad/platform_connector.h"
#include "ui/product.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ui::kProductName));
    // Lets the desktop match the window to its menu entry and icon (Wayland's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("zandrel"));
    app::frmTolm window(cad::makePlatformConnector());
    window.show();
    return QApplication::exec();
}
