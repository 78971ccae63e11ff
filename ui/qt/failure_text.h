#pragma once

#include <QString>
#include <cstdint>

namespace ui {

// How a failure reads to the user: its number, in hex as the HRESULT it is and in signed decimal
// as users of the automation interface quote it, then its description.
QString failureText(std::int32_t number, const QString& description);

}  // namespace ui
