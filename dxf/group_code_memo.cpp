#include "dxf/group_code_memo.h"

namespace dxf {

int usualGroupCode(const char* line, std::size_t size) {
    if (size == 0 || size > 4) return -1;
    constexpr std::uint32_t kSpaces = 0x20202020U;
    constexpr std::uint32_t kZeros = 0x30303030U;
    constexpr std::uint32_t kHighNibbles = 0xF0F0F0F0U;
    constexpr std::uint32_t kTops = 0x80808080U;
    constexpr std::uint32_t kLow7 = 0x7F7F7F7FU;
    // The line right-aligned in the word, its first byte lowest, spaces shifted in before it.
    const unsigned shift = 8 * static_cast<unsigned>(4 - size);
    const std::uint32_t word = (littleEndian<std::uint32_t>(line) << shift) |
                               static_cast<std::uint32_t>(std::uint64_t{kSpaces} >> (32 - shift));
    // The spaces, marked in their top bit: x is zero exactly there.
    const std::uint32_t x = word ^ kSpaces;
    const std::uint32_t spaces = ~(((x & kLow7) + kLow7) | x) & kTops;
    // Spaces only before the digits, and the last byte no space.
    if (((spaces >> 8) & ~spaces) != 0 || (spaces >> 31) != 0) return -1;
    const std::uint32_t digits = word | (spaces >> 3);  // a space read as '0'
    if ((digits & kHighNibbles) != kZeros || ((digits + 0x06060606U) & kHighNibbles) != kZeros) {
        return -1;
    }
    std::uint32_t value = digits - kZeros;
    value = (value * 10 + (value >> 8)) & 0x00FF00FFU;  // pairs of digits
    value = (value * 100 + (value >> 16)) & 0xFFFFU;
    return static_cast<int>(value);
}

int GroupCodeMemo::learn(std::uint64_t& slot, std::uint64_t key, const char* line,
                         std::size_t size) {
    const int code = usualGroupCode(line, size);
    if (code >= 0) slot = key | (static_cast<std::uint64_t>(code) << kCodeShift);
    return code;
}

}  // namespace dxf
