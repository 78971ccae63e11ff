#include "cli/escape.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/unicode.h"

namespace cli {

namespace {

// (raw character, the letter after the backslash)
constexpr std::array<std::pair<char16_t, char16_t>, 4> kEscapes{
    {{u'\\', u'\\'}, {u'\t', u't'}, {u'\n', u'n'}, {u'\r', u'r'}}};

// C0 and C1 control characters and DEL: shown raw they would move the cursor, ring the bell or
// start a terminal command sequence.
bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

constexpr std::u16string_view kHexDigits = u"0123456789ABCDEF";

int hexValue(char16_t c) {
    const auto upper = static_cast<char16_t>(c >= u'a' && c <= u'f' ? c - u'a' + u'A' : c);
    const std::size_t at = kHexDigits.find(upper);
    return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

std::u16string escapeValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    for (const char16_t c : value) {
        const auto* e = std::find_if(kEscapes.begin(), kEscapes.end(),
                                     [c](const auto& pair) { return pair.first == c; });
        if (e != kEscapes.end()) {
            out.push_back(u'\\');
            out.push_back(e->second);
        } else if (isControl(c)) {
            out += u"\\x";
            out.push_back(kHexDigits[c >> 4]);
            out.push_back(kHexDigits[c & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string shownValue(std::u16string_view value) { return base::utf16ToUtf8(escapeValue(value)); }

std::optional<std::u16string> unescapeValue(std::u16string_view escaped) {
    std::u16string out;
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != u'\\') {
            out.push_back(escaped[i]);
            continue;
        }
        if (++i == escaped.size()) return std::nullopt;
        const char16_t letter = escaped[i];
        if (letter == u'x') {
            if (escaped.size() - i < 3) return std::nullopt;
            const int high = hexValue(escaped[i + 1]);
            const int low = hexValue(escaped[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out.push_back(static_cast<char16_t>(high * 16 + low));
            i += 2;
            continue;
        }
        const auto* e = std::find_if(kEscapes.begin(), kEscapes.end(),
                                     [letter](const auto& pair) { return pair.second == letter; });
        if (e == kEscapes.end()) return std::nullopt;
        out.push_back(e->first);
    }
    return out;
}

}  // namespace cli
