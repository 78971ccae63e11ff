#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dxf {

// The object search's first pass: the places where one of the types searched for may start,
// because the byte before is '\n', ' ' or '\t' and the type's first and last character stand
// where they would. Whether a type does start there is for the search to check; only this pass
// differs by instruction set.

inline constexpr std::size_t kCandidateBlock = 64;
inline constexpr std::size_t kMostCandidateTypes = 4;

// What a candidate of each type is known by.
struct TypeEnds {
    std::size_t count = 0;    // 1 to kMostCandidateTypes
    std::size_t longest = 0;  // the longest type's size
    char first[kMostCandidateTypes] = {};
    char last[kMostCandidateTypes] = {};
    // How far each type's last character stands from its first.
    std::size_t lastAt[kMostCandidateTypes] = {};
};

// A block of kCandidateBlock bytes from `at` and its candidates: bit i for the byte at `at + i`.
struct CandidateBlock {
    std::size_t at = 0;
    std::uint64_t candidates = 0;
};

// Looks at the blocks at `at`, `at + 64`, ... that end, with the longest type after them, within
// `data`, and returns the first with candidates. Without one, returns the block after the last
// looked at, with none: the caller checks from there byte by byte. Reads the byte before `at`,
// which must be at least 1.
using CandidateFinder = CandidateBlock (*)(std::string_view data, std::size_t at,
                                           const TypeEnds& ends);

// Sixteen bytes compared at once with the compiler's generic vectors (SSE2 on x86-64, NEON on ARM):
// what the wider vector paths are tested against, and what builds without a vector library use.
CandidateBlock findCandidatesPlain(std::string_view data, std::size_t at, const TypeEnds& ends);

// A finder with the name of the instruction set it uses.
struct CandidateSearch {
    const char* name;
    CandidateFinder find;
};

// Every finder this build has that the processor can run, fastest first; the plain one last.
std::vector<CandidateSearch> availableCandidateSearches();

// The first of them, picked once.
CandidateFinder fastestCandidateFinder();

}  // namespace dxf
