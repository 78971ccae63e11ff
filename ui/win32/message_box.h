#pragma once

#include <windows.h>

#include <string>

#include "ui/shared/failure.h"

namespace win32 {

// Start-up's messages: one OK button, titled with the program's name.
void showMessage(const std::u16string& text);

// The program's top-level error report over `owner`: the failure's number and description.
void reportFailure(HWND owner, const shared::Failure& failure);

}  // namespace win32
