#include "ui/win32/win32_text.h"

#include "base/unicode.h"
#include "ui/shared/product.h"

namespace win32 {

const std::u16string& productName() {
    static const std::u16string name = base::utf8ToUtf16(shared::kProductName);
    return name;
}

std::u16string windowText(HWND window) {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()),
                                      static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

HFONT createUiFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace win32
