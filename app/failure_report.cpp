#include "app/failure_report.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/product.h"

namespace app {

void reportFailureAndEnd(QWidget& window, const Failure& failure) {
    QMessageBox::critical(&window, QString::fromUtf8(ui::kProductName),
                          QString::fromStdU16String(shared::endingReportText(failure)));
    QCoreApplication::exit(kFailureExitCode);
}

}  // namespace app
