#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// One legacy code page as each platform's converter knows it.
struct CodePageId {
    unsigned windows;   // e.g. 936
    const char* iconv;  // e.g. "CP936"
};

// A converter between one code page and UTF-16. The one seam to the platform's converters:
// iconv where it exists, the Win32 conversion calls on Windows.
class CodePage {
public:
    virtual ~CodePage() = default;

    // The converter for `id`, or nullptr when this system has none.
    static std::unique_ptr<CodePage> open(const CodePageId& id);

    // Bytes to UTF-16. A byte sequence the code page does not define becomes U+FFFD. Nothing is
    // held back: a character the converter keeps waiting for a combining mark comes out too.
    virtual std::u16string decode(std::string_view bytes) const = 0;

    // Bytes to UTF-16 as decode() gives them, or nothing when any byte sequence is undefined or
    // cut off at the end: text that is not in this code page at all.
    virtual std::optional<std::u16string> decodeExactly(std::string_view bytes) const = 0;

    // Appends the bytes of one character (one code point, one or two UTF-16 units) to `out`;
    // false, with `out` unchanged, when the code page lacks it or has it only as a letter and a
    // combining mark.
    virtual bool encode(std::u16string_view character, std::string& out) const = 0;
};

}  // namespace base
