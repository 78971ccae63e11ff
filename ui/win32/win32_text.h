#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// char16_t and wchar_t are the same UTF-16 code units on Windows.
inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The name message boxes carry as their title.
const std::u16string& productName();

// The text of any window or control.
std::u16string windowText(HWND window);

// The platform's user-interface font at `dpi` (the message font of the non-client metrics).
HFONT createUiFont(UINT dpi);

}  // namespace win32
