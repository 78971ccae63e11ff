#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace dxf {

// The integer stored little-endian in the sizeof(Integer) bytes at `p`, on any processor; one load
// where the processor is little-endian itself.
template <typename Integer>
Integer littleEndian(const char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        Integer value = 0;
        std::memcpy(&value, p, sizeof value);
        return value;
    }
    std::make_unsigned_t<Integer> value = 0;
    for (std::size_t i = sizeof(Integer); i-- > 0;) {
        value = static_cast<std::make_unsigned_t<Integer>>((value << 8) |
                                                           static_cast<unsigned char>(p[i]));
    }
    return static_cast<Integer>(value);
}

}  // namespace dxf
