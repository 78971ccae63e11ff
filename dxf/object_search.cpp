#include "dxf/object_search.h"

#include <algorithm>
#include <bit>

#include "dxf/object_candidates.h"
#include "dxf/tag_scanner.h"

namespace dxf {

namespace {

// Whether the type starting at `at` fills its line, and the line before holds group code 0; the
// object's start when it does.
std::optional<ObjectStart> objectStartAround(std::string_view data, std::size_t at,
                                             std::string_view type) {
    if (data.compare(at, type.size(), type) != 0) return std::nullopt;
    std::size_t begin = at;
    while (begin > 0 && (data[begin - 1] == ' ' || data[begin - 1] == '\t')) --begin;
    if (begin == 0 || data[begin - 1] != '\n') return std::nullopt;
    const std::size_t newline = data.find('\n', at + type.size());
    const std::size_t end = newline == std::string_view::npos ? data.size() : newline;
    if (trimmed(lineBetween(data, begin, end)) != type) return std::nullopt;
    const std::size_t codeLine = previousLine(data, begin);
    if (groupCodeOfLine(lineBetween(data, codeLine, begin - 1)) != 0) return std::nullopt;
    return ObjectStart{codeLine, 0, newline == std::string_view::npos ? end : end + 1};
}

}  // namespace

std::string_view lineBetween(std::string_view data, std::size_t begin, std::size_t end) {
    if (end > begin && data[end - 1] == '\r') --end;
    return data.substr(begin, end - begin);
}

std::size_t previousLine(std::string_view data, std::size_t line) {
    const std::size_t newline = line > 1 ? data.rfind('\n', line - 2) : std::string_view::npos;
    return newline == std::string_view::npos ? 0 : newline + 1;
}

std::optional<ObjectStart> findObjectStart(std::string_view data, std::size_t from,
                                           std::span<const std::string_view> types) {
    return findObjectStart(data, from, types, fastestCandidateFinder());
}

std::optional<ObjectStart> findObjectStart(std::string_view data, std::size_t from,
                                           std::span<const std::string_view> types,
                                           CandidateFinder findCandidates) {
    if (types.empty()) return std::nullopt;
    const auto check = [&](std::size_t at) -> std::optional<ObjectStart> {
        for (std::size_t t = 0; t < types.size(); ++t) {
            if (data[at] != types[t].front()) continue;
            if (auto start = objectStartAround(data, at, types[t])) {
                start->type = t;
                return start;
            }
        }
        return std::nullopt;
    };
    TypeEnds ends;
    ends.count = std::min(types.size(), kMostCandidateTypes);
    for (std::size_t t = 0; t < ends.count; ++t) {
        ends.first[t] = types[t].front();
        ends.last[t] = types[t].back();
        ends.lastAt[t] = types[t].size() - 1;
    }
    for (const std::string_view type : types) ends.longest = std::max(ends.longest, type.size());
    // A type at the very start follows no group-code line.
    std::size_t at = std::max<std::size_t>(from, 1);
    while (true) {
        const CandidateBlock block = findCandidates(data, at, ends);
        at = block.at;
        if (block.candidates == 0) break;
        for (std::uint64_t left = block.candidates; left != 0; left &= left - 1) {
            if (const auto found = check(at + static_cast<std::size_t>(std::countr_zero(left)))) {
                return found;
            }
        }
        at += kCandidateBlock;
    }
    for (; at < data.size(); ++at) {
        if (const auto found = check(at)) return found;
    }
    return std::nullopt;
}

}  // namespace dxf
