#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace dxf {

// The integer stored little-endian in the sizeof(Integer) bytes at `p`, on any processor: one load
// where the processor is little-endian itself.
template <typename Integer>
Integer littleEndian(const char* p) {
    using Unsigned = std::make_unsigned_t<Integer>;
    Unsigned value = 0;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        Unsigned swapped = 0;
        for (std::size_t i = 0; i < sizeof value; ++i, value >>= 8) {
            swapped = static_cast<Unsigned>((swapped << 8) | (value & 0xFF));
        }
        value = swapped;
    }
    return static_cast<Integer>(value);
}

}  // namespace dxf
