#include "dxf/object_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "dxf/tag_scanner.h"

namespace dxf {

namespace {

// Sixteen bytes compared at once; plain SSE2 on x86-64, plain NEON on ARM.
using Bytes = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kStep = sizeof(Bytes);

Bytes load(const char* p) {
    Bytes bytes;
    std::memcpy(&bytes, p, kStep);
    return bytes;
}

Bytes splat(char c) {
    Bytes bytes;
    std::memset(&bytes, c, kStep);
    return bytes;
}

bool anySet(Bytes bytes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &bytes, kStep);
    return (halves[0] | halves[1]) != 0;
}

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
    std::size_t longest = 0;
    for (const std::string_view type : types) longest = std::max(longest, type.size());
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
    // A type starts its line or follows its padding: a byte before it that is neither rules out
    // most places where its first and last character happen to stand apart as in the type.
    const Bytes newline = splat('\n'), space = splat(' '), tab = splat('\t');
    struct Ends {
        Bytes first, last;
        std::size_t lastAt;
    };
    std::array<Ends, 4> ends{};
    const std::size_t searched = std::min(types.size(), ends.size());
    for (std::size_t t = 0; t < searched; ++t) {
        ends[t] = {splat(types[t].front()), splat(types[t].back()), types[t].size() - 1};
    }
    // A type at the very start follows no group-code line.
    std::size_t at = std::max<std::size_t>(from, 1);
    for (; at + kStep + longest <= data.size(); at += kStep) {
        const char* p = data.data() + at;
        const Bytes before = load(p - 1);
        const Bytes boundary = (before == newline) | (before == space) | (before == tab);
        const Bytes here = load(p);
        Bytes hits{};
        for (std::size_t t = 0; t < searched; ++t) {
            hits |= (here == ends[t].first) & (load(p + ends[t].lastAt) == ends[t].last);
        }
        hits &= boundary;
        if (!anySet(hits)) [[likely]]
            continue;
        for (std::size_t i = 0; i < kStep; ++i) {
            if (hits[i] == 0) continue;
            if (const auto found = check(at + i)) return found;
        }
    }
    for (; at < data.size(); ++at) {
        if (const auto found = check(at)) return found;
    }
    return std::nullopt;
}

}  // namespace dxf
