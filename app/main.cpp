#include <QApplication>

#include "app/main_window.h"
#include "cad/platform_connector.h"
#include "ui/product.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    cad::deferTerminationDuringSaves();
    QApplication::setApplicationName(QString::fromUtf8(ui::kProductName));
    app::frmTolm window(cad::makePlatformConnector());
    window.show();
    return QApplication::exec();
}
