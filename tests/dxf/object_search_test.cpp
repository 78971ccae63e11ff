#include "dxf/object_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "dxf/object_candidates.h"

namespace dxf {
namespace {

constexpr std::string_view kTypes[] = {"ATTRIB", "ENDSEC", "SECTION", "EOF"};

using Found = std::optional<std::tuple<std::size_t, std::size_t, std::size_t>>;  // at, type, after

// Searched in a heap block of exactly the bytes' size, so that the sanitizer build catches a read
// past the end.
Found foundBy(CandidateFinder finder, std::string_view bytes, std::size_t from) {
    const auto exact = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    const auto start =
        findObjectStart(std::string_view(exact.get(), bytes.size()), from, kTypes, finder);
    if (!start) return std::nullopt;
    return std::tuple{start->at, start->type, start->after};
}

struct Case {
    const char* name;
    std::string_view text;
    std::optional<std::size_t> at;  // where in `text` the found object starts
    std::size_t type = 0;
};

// Starts and the near-misses around them that a candidate pass could get wrong.
constexpr Case kCases[] = {
    {"a type on its line", "  0\nATTRIB\n", 0, 0},
    {"padded", "  0\n \tENDSEC  \n", 0, 1},
    {"CRLF", "  0\r\nSECTION\r\n", 0, 2},
    {"the shortest at the very end", "  0\nEOF", 0, 3},
    {"after a near-miss", "  0\nATTRIBX\n  0\nEOF\n", 12, 3},
    {"the first of two", "  0\nENDSEC\n  0\nEOF\n", 0, 1},
    {"a longer name", "  0\nATTRIBUTE\n", std::nullopt},
    {"the ends of a type around others", "  0\nAXXXXB\n  0\nSxxxxxN\n", std::nullopt},
    {"inside a line", "  0\nxATTRIB\n", std::nullopt},
    {"not after group code 0", "  8\nATTRIB\n  1\nEOF\n", std::nullopt},
    {"a value's second line", "  0\nTEXT\nENDSEC\n", std::nullopt},
    {"cut off", "  0\nSECTIO", std::nullopt},
};

// A line of `size` bytes before or after a case: it moves the case across every vector's edge.
std::string filler(std::size_t size) { return size == 0 ? "" : std::string(size - 1, 'x') + '\n'; }

TEST(ObjectSearch, EveryFinderFindsEachStartAcrossVectorEdges) {
    for (const CandidateSearch& search : availableCandidateSearches()) {
        for (const Case& c : kCases) {
            const bool endsItsLine = c.text.back() == '\n';
            for (std::size_t before = 0; before < 2 * kCandidateBlock + 16; ++before) {
                for (const std::size_t after : {0, 1, 9, 70}) {
                    if (!endsItsLine && after != 0) continue;
                    const std::string bytes = filler(before) + std::string(c.text) + filler(after);
                    const Found found = foundBy(search.find, bytes, 0);
                    const auto at = found ? std::optional(std::get<0>(*found)) : std::nullopt;
                    const auto expected = c.at ? std::optional(before + *c.at) : std::nullopt;
                    ASSERT_EQ(at, expected) << search.name << ", " << c.name << ", " << before
                                            << " bytes before, " << after << " after";
                    if (found) {
                        EXPECT_EQ(std::get<1>(*found), c.type) << search.name << c.name;
                    }
                }
            }
        }
    }
}

TEST(ObjectSearch, EveryFinderFindsWhatThePlainOneFindsFromEveryOffset) {
    // All the cases one after another with lines of every length between them: starts and misses
    // at every distance from a vector's edge, searched for from every byte.
    std::string bytes;
    for (std::size_t gap = 0; gap < 24; ++gap) {
        for (const Case& c : kCases) {
            if (c.text.back() == '\n') bytes += std::string(c.text) + filler(gap);
        }
    }
    bytes += "  0\nEOF";
    const auto searches = availableCandidateSearches();
    ASSERT_STREQ(searches.back().name, "plain");
    for (std::size_t from = 0; from <= bytes.size(); ++from) {
        const Found plain = foundBy(findCandidatesPlain, bytes, from);
        ASSERT_TRUE(plain || from > bytes.size() - 3) << "the last EOF is ahead from " << from;
        for (const CandidateSearch& search : searches) {
            ASSERT_EQ(foundBy(search.find, bytes, from), plain) << search.name << " from " << from;
        }
    }
}

}  // namespace
}  // namespace dxf
