#include "app/failure_report.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <new>

#include "cad/error.h"
#include "ui/failure_text.h"
#include "ui/product.h"

namespace app {

Failure describeFailure(const std::exception_ptr& escaped) {
    try {
        std::rethrow_exception(escaped);
    } catch (const cad::Error& e) {
        return {e.number(), QString::fromStdU16String(e.description())};
    } catch (const std::bad_alloc&) {
        return {cad::errc::kOutOfMemory, QStringLiteral("内存不足，无法完成操作。")};
    } catch (const std::exception& e) {
        return {cad::errc::kFailed,
                QStringLiteral("程序内部错误：%1").arg(QString::fromUtf8(e.what()))};
    } catch (...) {
        return {cad::errc::kUnexpected, QStringLiteral("发生了无法识别的错误。")};
    }
}

void reportFailureAndEnd(QWidget& window, const Failure& failure) {
    QMessageBox::critical(&window, QString::fromUtf8(ui::kProductName),
                          QStringLiteral("操作未能完成，程序将结束。\n\n") +
                              ui::failureText(failure.number, failure.description));
    QCoreApplication::exit(kFailureExitCode);
}

}  // namespace app
