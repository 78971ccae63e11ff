#pragma once

#include <cstddef>

#include "dxf/idle_core.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// How large a file, or what is left of it to read, must be before a way of indexing it that costs
// more to start pays for itself.

// Listing newlines ahead starts with a few allocations, and the first listing in a process picks
// the vector code: worth it from here on.
inline constexpr std::size_t kLinesAheadFrom = 64 * 1024;
// A thread of its own gains from here on. Below, the batches that keep its ring near 1 % of the
// data are so short that the two threads wait for each other more than they gain.
inline constexpr std::size_t kSecondThreadFrom = 32 << 20;
// Below this size reading every tag takes milliseconds and checks the structure of every entity,
// so only larger drawings are searched for their attributes instead.
inline constexpr std::size_t kAttributeSearchFrom = 8 << 20;

// How lines are found for `left` bytes: as `asked`, or for LineSearch::kAutomatic the way that
// pays for that length, in parallel only when `idleCore` says a second core is to be had.
LineSearch lineSearchFor(LineSearch asked, std::size_t left, bool (*idleCore)() = idleCoreLikely);

// Whether a drawing of `size` bytes is better searched for its attributes than read tag by tag.
bool attributeSearchPays(std::size_t size);

}  // namespace dxf
