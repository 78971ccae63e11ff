#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dxf {

// A legacy code page named by $DWGCODEPAGE, with the names the converters know it by.
struct CodePageInfo {
    std::string_view dxfName;  // as $DWGCODEPAGE spells it, e.g. "ANSI_936"
    unsigned windowsId;        // e.g. 936
    const char* iconvName;     // e.g. "CP936"
};

// The code page that $DWGCODEPAGE `name` names (any letter case, the aliases other writers use
// included), or nothing when unknown.
std::optional<CodePageInfo> findCodePage(std::string_view name);
// Every code page a drawing can name, each once under its own $DWGCODEPAGE name.
std::vector<CodePageInfo> knownCodePages();
// The code page of drawings that name none or an unknown one.
CodePageInfo defaultCodePage();
// The code page of a \M+n escape (n = 1 … 5), or nothing.
std::optional<CodePageInfo> multibyteEscapeCodePage(char digit);

// A converter between one code page and UTF-16. The one seam to the platform's converters:
// iconv where it exists, the Win32 conversion calls on Windows.
class CodePage {
public:
    virtual ~CodePage() = default;

    // The converter for `info`, or nullptr when this system has none.
    static std::unique_ptr<CodePage> open(const CodePageInfo& info);

    // Bytes to UTF-16. A byte sequence the code page does not define becomes U+FFFD. Nothing is
    // held back: a character the converter keeps waiting for a combining mark comes out too.
    virtual std::u16string decode(std::string_view bytes) const = 0;

    // Appends the bytes of one character (one code point, one or two UTF-16 units) to `out`;
    // false, with `out` unchanged, when the code page lacks it or has it only as a letter and a
    // combining mark.
    virtual bool encode(std::u16string_view character, std::string& out) const = 0;
};

}  // namespace dxf
