#pragma once

#include <string>
#include <string_view>

namespace base {

// UTF-8 <-> UTF-16. Malformed UTF-8 becomes U+FFFD; a lone surrogate is written as U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace base
