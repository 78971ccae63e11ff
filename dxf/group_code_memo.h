#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "dxf/little_endian.h"

namespace dxf {

// The group code of a line in its usual form, "  0" to "1071": one to four bytes, spaces and then
// at least one digit, read as one word without a branch. -1 for anything else, which the general
// parser then reads. The four bytes at `line` must be readable even when the line is shorter.
int usualGroupCode(const char* line, std::size_t size);

// Remembers the group-code lines in their usual form that a file has shown, with their codes. A
// drawing repeats a few dozen such lines millions of times, and looking one up costs less than
// reading it.
class GroupCodeMemo {
public:
    // The code of the usual group-code line of `size` bytes at `line`, or -1 when it is none.
    // The four bytes at `line` must be readable.
    int codeOf(const char* line, std::size_t size) {
        if (size - 1 >= 4) return -1;  // also a line of no bytes
        const std::uint64_t key =
            (littleEndian<std::uint32_t>(line) & (0xFFFFFFFFU >> (32 - 8 * size))) |
            (std::uint64_t{size} << 32);
        std::uint64_t& slot = slots_[(key * 0x9E3779B97F4A7C15U) >> 54];  // 10 bits: 1024 slots
        if ((slot & kKeyBits) == key) return static_cast<int>(slot >> kCodeShift);
        return learn(slot, key, line, size);
    }

private:
    // Reads a line not remembered in `slot`, and remembers it there when it is a group code.
    static int learn(std::uint64_t& slot, std::uint64_t key, const char* line, std::size_t size);

    // Each slot holds a line's bytes and length in its low 40 bits and its code above them.
    static constexpr unsigned kCodeShift = 40;
    static constexpr std::uint64_t kKeyBits = (std::uint64_t{1} << kCodeShift) - 1;
    std::array<std::uint64_t, 1024> slots_{};  // a line of no bytes marks an empty slot
};

}  // namespace dxf
