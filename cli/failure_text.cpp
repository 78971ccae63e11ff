#include "cli/failure_text.h"

#include <cstdio>

#include "base/unicode.h"
#include "cli/escape.h"

namespace cli {

std::string failureText(const cad::Error& error) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(error.number()));
    return std::string("错误 ") + hex + " (" + std::to_string(error.number()) +
           "): " + base::utf16ToUtf8(escapeValue(error.description()));
}

}  // namespace cli
