// The vector lister, compiled once per instruction set Highway targets; each call picks the best
// one the processor has. Callers hand over kilobytes at a time, so the choice costs nothing.
#include <cstring>
#include <string_view>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "dxf/newline_list_highway.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "dxf/little_endian.h"
#include "dxf/newline_list.h"

HWY_BEFORE_NAMESPACE();
namespace dxf::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#include "dxf/newline_list_blocks.inc"

std::size_t ListNewlines(std::string_view bytes, std::uint32_t* out) {
#if HWY_TARGET == HWY_SCALAR
    // One lane per vector: nothing to gain over the word trick.
    return listNewlinesScalar(bytes, out);
#else
    return listNewlinesByBlock(bytes, out, [](const char* block) {
        // Vectors of 16 to 64 bytes: a block is one or more whole vectors, each filling whole
        // bytes of the mask, lane 0 in bit 0.
        const hn::CappedTag<std::uint8_t, 64> d;
        const auto newline = hn::Set(d, std::uint8_t{'\n'});
        const auto* p = reinterpret_cast<const std::uint8_t*>(block);
        std::uint8_t bits[8] = {};
        for (std::size_t i = 0; i < 64; i += hn::Lanes(d)) {
            hn::StoreMaskBits(d, hn::Eq(hn::LoadU(d, p + i), newline), bits + i / 8);
        }
        return littleEndian<std::uint64_t>(reinterpret_cast<const char*>(bits));
    });
#endif
}

}  // namespace dxf::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dxf {

HWY_EXPORT(ListNewlines);

std::size_t listNewlines(std::string_view bytes, std::uint32_t* out) {
    return HWY_DYNAMIC_DISPATCH(ListNewlines)(bytes, out);
}

}  // namespace dxf
#endif
