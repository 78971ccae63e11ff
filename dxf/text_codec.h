#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dxf/code_page.h"

namespace dxf {

// True for the versions that store text as UTF-8 (AC1021, R2007, and later).
bool storesUtf8(std::string_view acadVersion);

// The code page a drawing's text is read in, and whether it was guessed because the drawing names
// none or one this library does not know.
struct CodePageUse {
    std::string_view name;  // "UTF-8" from R2007 on, else a $DWGCODEPAGE name, e.g. "ANSI_936"
    bool guessed = false;
};

// How one drawing stores text: UTF-8 from R2007 on, the code page of $DWGCODEPAGE before, in both
// cases with \U+XXXX and \M+nXXXX escapes and caret-encoded control characters.
class TextCodec {
public:
    // The codec for a drawing of `acadVersion` whose $DWGCODEPAGE is `codePage` (empty: none).
    // A missing or unknown code page is read as ANSI_1252, but nothing is written through that
    // guess: every non-ASCII character is then written as \U+XXXX. Nothing when this system
    // cannot convert the code page; `unsupported` then names it.
    static std::optional<TextCodec> forDrawing(std::string_view acadVersion,
                                               std::string_view codePage, std::string& unsupported);

    // The file's bytes of one value to the text they stand for.
    std::u16string decode(std::string_view raw) const;
    // The bytes that stand for `text` in the file, so that decode() gives `text` back. A
    // character goes into the file in the code page only if it reads back as itself.
    std::string encode(std::u16string_view text) const;

    CodePageUse codePage() const { return use_; }

private:
    TextCodec(std::shared_ptr<const base::CodePage> codePage, const CodePageUse& use);

    std::u16string toUtf16(std::string_view raw) const;
    std::u16string unescape(std::u16string_view text) const;
    std::optional<char16_t> multibyteEscape(char16_t digit, unsigned code) const;
    // Appends one character as the file stores it; false when it would not read back as itself
    // after the bytes from `previous` on (the character written before it, which a stateful
    // decoder may combine it with).
    bool appendCharacter(std::u16string_view character, std::size_t previous,
                         std::string& out) const;

    std::shared_ptr<const base::CodePage> codePage_;  // null: UTF-8
    CodePageUse use_;
    // The code pages of \M+1 … \M+5, opened when an escape first needs one.
    mutable std::array<std::shared_ptr<const base::CodePage>, 5> escapePages_;
};

}  // namespace dxf
