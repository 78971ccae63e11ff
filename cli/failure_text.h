#pragma once

#include <string>

#include "cad/error.h"

namespace cli {

// A failure as the window shows it, on one line: its number in hex (the HRESULT) and in signed
// decimal, then its description. Control characters in it are escaped.
std::string failureText(const cad::Error& error);

}  // namespace cli
