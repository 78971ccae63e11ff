#include "ui/win32/message_box.h"

#include "ui/win32/win32_text.h"

namespace win32 {

void showMessage(const std::u16string& text) {
    MessageBoxW(nullptr, wide(text), wide(productName()), MB_OK | MB_SETFOREGROUND);
}

void reportFailure(HWND owner, const shared::Failure& failure) {
    MessageBoxW(owner, wide(shared::endingReportText(failure)), wide(productName()),
                MB_OK | MB_ICONERROR);
}

}  // namespace win32
