// The vector marker, compiled once per instruction set that Highway targets; the first call picks
// the best one the processor has.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "dxf/newline_marks_highway.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "dxf/newline_marks.h"

HWY_BEFORE_NAMESPACE();
namespace dxf::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Marks `blocks` whole blocks of 64 bytes.
void MarkNewlineBlocks(const char* bytes, std::size_t blocks, std::uint64_t* marks) {
#if HWY_TARGET == HWY_SCALAR
    // One lane per vector: nothing to gain over the word trick.
    markNewlinesScalar(std::string_view(bytes, blocks * kMarkedBlock), marks);
#else
    // Vectors of 16 to 64 bytes: a block is one or more whole vectors.
    const hn::CappedTag<std::uint8_t, kMarkedBlock> d;
    const std::size_t lanes = hn::Lanes(d);
    const auto newline = hn::Set(d, std::uint8_t{'\n'});
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes);
    for (std::size_t block = 0; block < blocks; ++block, p += kMarkedBlock) {
        // One bit per lane, lane 0 in bit 0 of byte 0; at least one whole byte per vector.
        std::uint8_t bits[kMarkedBlock / 8] = {};
        for (std::size_t i = 0; i < kMarkedBlock; i += lanes) {
            hn::StoreMaskBits(d, hn::Eq(hn::LoadU(d, p + i), newline), bits + i / 8);
        }
        std::uint64_t word = 0;
        for (std::size_t b = 0; b < sizeof bits; ++b) word |= std::uint64_t{bits[b]} << 8 * b;
        marks[block] = word;
    }
#endif
}

}  // namespace dxf::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dxf {

HWY_EXPORT(MarkNewlineBlocks);

void markNewlines(std::string_view bytes, std::uint64_t* marks) {
    const std::size_t blocks = bytes.size() / kMarkedBlock;
    HWY_DYNAMIC_DISPATCH(MarkNewlineBlocks)(bytes.data(), blocks, marks);
    markNewlinesScalar(bytes.substr(blocks * kMarkedBlock), marks + blocks);
}

}  // namespace dxf
#endif
