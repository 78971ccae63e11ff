#include "cli/escape.h"

#include <algorithm>
#include <array>
#include <utility>

namespace cli {

namespace {

// (raw character, the letter after the backslash)
constexpr std::array<std::pair<char16_t, char16_t>, 4> kEscapes{
    {{u'\\', u'\\'}, {u'\t', u't'}, {u'\n', u'n'}, {u'\r', u'r'}}};

}  // namespace

std::u16string escapeValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    for (const char16_t c : value) {
        const auto* e = std::find_if(kEscapes.begin(), kEscapes.end(),
                                     [c](const auto& pair) { return pair.first == c; });
        if (e == kEscapes.end()) {
            out.push_back(c);
        } else {
            out.push_back(u'\\');
            out.push_back(e->second);
        }
    }
    return out;
}

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
        const auto* e = std::find_if(kEscapes.begin(), kEscapes.end(),
                                     [letter](const auto& pair) { return pair.second == letter; });
        if (e == kEscapes.end()) return std::nullopt;
        out.push_back(e->first);
    }
    return out;
}

}  // namespace cli
