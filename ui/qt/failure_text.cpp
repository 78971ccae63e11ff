#include "ui/qt/failure_text.h"

#include "ui/shared/failure.h"

namespace ui {

QString failureText(std::int32_t number, const QString& description) {
    return QString::fromStdU16String(shared::failureText(number, description.toStdU16String()));
}

}  // namespace ui
