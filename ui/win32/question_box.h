#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// A message box over `owner` with the warning icon and two buttons, 继续 and 取消 (the default,
// and what Esc and closing mean), whatever language the system speaks; true when 继续 was pressed.
bool askToContinue(HWND owner, const std::u16string& text);

}  // namespace win32
