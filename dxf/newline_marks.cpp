#include "dxf/newline_marks.h"

#include <algorithm>

#include "dxf/little_endian.h"

namespace dxf {

namespace {

// One bit per byte equal to '\n' of the eight bytes at `p`, byte 0 in bit 0. The word trick marks
// each such byte in its top bit; a multiply gathers the eight top bits into one byte.
std::uint64_t newlinesOfWord(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FU;
    const std::uint64_t word = littleEndian<std::uint64_t>(p);  // byte 0 lowest
    const std::uint64_t x = word ^ (kOnes * '\n');
    // A byte of x is zero exactly when its top bit ends up clear here; no borrow crosses bytes.
    const std::uint64_t nonzero = ((x & kLow7) + kLow7) | x;
    const std::uint64_t tops = ~nonzero & ~kLow7;
    return ((tops >> 7) * 0x0102040810204080U) >> 56;
}

}  // namespace

void markNewlinesScalar(std::string_view bytes, std::uint64_t* marks) {
    const std::size_t size = bytes.size();
    std::fill_n(marks, (size + kMarkedBlock - 1) / kMarkedBlock, 0);
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        marks[at / kMarkedBlock] |= newlinesOfWord(bytes.data() + at) << at % kMarkedBlock;
    }
    for (; at < size; ++at) {
        if (bytes[at] == '\n') marks[at / kMarkedBlock] |= std::uint64_t{1} << at % kMarkedBlock;
    }
}

}  // namespace dxf
