#include <QApplication>

#include "app/main_window.h"
#include "cad/platform_connector.h"
#include "ui/product.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ui::kProductName));
    app::frmTolm window(cad::makePlatformConnector(), cad::makePlatformDrawingFiles());
    window.show();
    return QApplication::exec();
}
