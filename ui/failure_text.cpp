#include "ui/failure_text.h"

namespace ui {

QString failureText(std::int32_t number, const QString& description) {
    const QString hex =
        QString::number(static_cast<std::uint32_t>(number), 16).toUpper().rightJustified(8, u'0');
    return QStringLiteral("错误号 0x%1（%2）\n%3").arg(hex, QString::number(number), description);
}

}  // namespace ui
