#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dxf {

// Room a list needs beyond one entry per byte: blocks of 64 bytes write a fixed number of entries
// whether they have that many newlines or not, which spares a mispredicted branch per block.
inline constexpr std::size_t kNewlineListSlack = 16;

// Writes the offset of each '\n' of `bytes` (fewer than 2^32 of them) to `out`, in order, and
// returns how many there are. `out` must hold bytes.size() + kNewlineListSlack entries; those past
// the count are left undefined. Uses the widest vector unit the processor has where the build
// has a vector library, and reads no byte past the end of `bytes`.
std::size_t listNewlines(std::string_view bytes, std::uint32_t* out);

// The same, eight bytes at a time without vector instructions: what the vector paths are tested
// against, and what builds without a vector library use.
std::size_t listNewlinesScalar(std::string_view bytes, std::uint32_t* out);

// A lister with the name of the instruction set it uses.
struct NewlineLister {
    const char* name;
    std::size_t (*list)(std::string_view bytes, std::uint32_t* out);
};

// Every lister this build has that the processor can run, fastest first: listNewlines() uses the
// first, tests run them all.
std::vector<NewlineLister> availableNewlineListers();

}  // namespace dxf
