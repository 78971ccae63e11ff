#include "dxf/newline_list.h"

#include <cstring>

#include "dxf/little_endian.h"

namespace dxf {

namespace {

#include "dxf/newline_list_blocks.inc"

// One bit per '\n' of the eight bytes at `p`, byte 0 in bit 0.
std::uint64_t newlinesOfWord(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FU;
    const std::uint64_t x = littleEndian<std::uint64_t>(p) ^ (kOnes * '\n');
    // A byte of x is zero exactly where its top bit ends up set here; no borrow crosses bytes.
    const std::uint64_t tops = ~(((x & kLow7) + kLow7) | x) & ~kLow7;
    // A multiply gathers the eight top bits into one byte.
    return ((tops >> 7) * 0x0102040810204080U) >> 56;
}

}  // namespace

std::size_t listNewlinesScalar(std::string_view bytes, std::uint32_t* out) {
    return listNewlinesByBlock(
        bytes, out,
        [](const char* block) {
            std::uint64_t mask = 0;
            for (unsigned word = 0; word < 8; ++word) {
                mask |= newlinesOfWord(block + 8 * word) << 8 * word;
            }
            return mask;
        },
        appendNewlinesOfBlock);
}

}  // namespace dxf
