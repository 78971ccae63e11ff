#include "ui/qt/failure_report.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/shared/product.h"

namespace ui {

void reportFailureAndEnd(QWidget& window, const Failure& failure) {
    QMessageBox::critical(&window, QString::fromUtf8(shared::kProductName),
                          QString::fromStdU16String(shared::endingReportText(failure)));
    QCoreApplication::exit(kFailureExitCode);
}

}  // namespace ui
