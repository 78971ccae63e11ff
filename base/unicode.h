#pragma once

#include <string>
#include <string_view>

namespace base {

// UTF-8 <-> UTF-16. Malformed UTF-8 becomes U+FFFD; a lone surrogate is written as U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Names the system keeps as bytes (POSIX paths and arguments) <-> UTF-16 without loss: a byte
// that is not part of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF and turns back into
// that byte, so the file a name was read from is the file it opens. Any other lone surrogate is
// written as its three-byte form, which no valid UTF-8 name can equal.
std::u16string nameBytesToUtf16(std::string_view bytes);
std::string utf16ToNameBytes(std::u16string_view name);

// `name` for a message: each byte carried as U+DC80..U+DCFF shows as \xHH.
std::u16string visibleName(std::u16string_view name);

// `text` with A-Z as a-z, as file systems that ignore letter case compare names.
std::u16string lowerAscii(std::u16string text);

}  // namespace base
