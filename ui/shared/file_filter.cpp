#include "ui/shared/file_filter.h"

#include <algorithm>

namespace shared {

namespace {

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool sameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

std::u16string_view trimmed(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

std::vector<std::u16string_view> split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::u16string_view::npos) return parts;
        start = end + 1;
    }
}

// "*.dwg" -> "*.dxf", "*.DWG" -> "*.DXF"; other patterns have no DXF twin.
std::u16string dxfTwin(std::u16string_view pattern) {
    if (pattern.size() < 4 || !sameIgnoringCase(pattern.substr(pattern.size() - 4), u".dwg"))
        return {};
    const bool upper = pattern.back() == u'G';
    return std::u16string(pattern.substr(0, pattern.size() - 3)) + (upper ? u"DXF" : u"dxf");
}

std::vector<std::u16string> patternsOf(std::u16string_view patternList, bool listDxfForDwg) {
    std::vector<std::u16string> patterns;
    for (const std::u16string_view part : split(patternList, u';')) {
        if (!trimmed(part).empty()) patterns.emplace_back(trimmed(part));
    }
    if (!listDxfForDwg) return patterns;
    const std::vector<std::u16string> given = patterns;
    for (const std::u16string& pattern : given) {
        const std::u16string twin = dxfTwin(pattern);
        const bool listed = std::any_of(patterns.begin(), patterns.end(),
                                        [&](const auto& p) { return sameIgnoringCase(p, twin); });
        if (!twin.empty() && !listed) patterns.push_back(twin);
    }
    return patterns;
}

}  // namespace

std::vector<FilterEntry> filterEntries(std::u16string_view filter, bool listDxfForDwg) {
    const std::vector<std::u16string_view> parts = split(filter, u'|');
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::vector<std::u16string> patterns = patternsOf(parts[i + 1], listDxfForDwg);
        if (patterns.empty()) continue;
        entries.push_back({std::u16string(trimmed(parts[i])), std::move(patterns)});
    }
    return entries;
}

}  // namespace shared
