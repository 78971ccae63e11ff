// The vector listers, compiled for each instruction set dxf/highway_targets.h names.
#include "dxf/highway_targets.h"  // before Highway: it configures it

#include <cstring>
#include <string_view>
#include <vector>

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

// The mask of the newlines in the 64 bytes at `block`, byte 0 in bit 0.
std::uint64_t newlineMask(const char* block) {
    // Vectors of 16 to 64 bytes: a block is one or more whole vectors, each filling whole bytes
    // of the mask, lane 0 in bit 0.
    const hn::CappedTag<std::uint8_t, 64> d;
    const auto newline = hn::Set(d, std::uint8_t{'\n'});
    const auto* p = reinterpret_cast<const std::uint8_t*>(block);
    std::uint8_t bits[8] = {};
    for (std::size_t i = 0; i < 64; i += hn::Lanes(d)) {
        hn::StoreMaskBits(d, hn::Eq(hn::LoadU(d, p + i), newline), bits + i / 8);
    }
    return littleEndian<std::uint64_t>(reinterpret_cast<const char*>(bits));
}

#if HWY_TARGET <= HWY_AVX3
// Appends the offsets of the bits set in `mask`, the newlines of the block at `offset`, with
// 512-bit vectors: the processor packs each vector of offsets by the mask in one step, where one
// at a time takes a few instructions per newline. Writes up to one vector past the new count,
// within the slack. Narrower vectors pack through tables and memory, slower than one at a time.
std::size_t packNewlinesOfBlock(std::uint64_t mask, std::uint32_t offset, std::uint32_t* out,
                                std::size_t count) {
    const hn::CappedTag<std::uint32_t, kNewlineListSlack> d;
    for (std::size_t i = 0; i < 64; i += hn::Lanes(d)) {
        const std::uint64_t lanes = mask >> i;
        std::uint8_t bits[8];
        std::memcpy(bits, &lanes, sizeof bits);
        const auto selected = hn::LoadMaskBits(d, bits);
        // Packed in a register and stored whole: a packing store to memory is microcoded, and
        // slow, on some processors.
        hn::StoreU(hn::Compress(hn::Iota(d, offset + static_cast<std::uint32_t>(i)), selected), d,
                   out + count);
        count += hn::CountTrue(d, selected);
    }
    return count;
}
#endif

std::size_t ListNewlines(std::string_view bytes, std::uint32_t* out) {
#if HWY_TARGET == HWY_SCALAR
    // One lane per vector: nothing to gain over the word trick.
    return listNewlinesScalar(bytes, out);
#elif HWY_TARGET <= HWY_AVX3
    return listNewlinesByBlock(bytes, out, newlineMask, packNewlinesOfBlock);
#else
    return listNewlinesByBlock(bytes, out, newlineMask, appendNewlinesOfBlock);
#endif
}

}  // namespace dxf::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dxf {

std::vector<NewlineLister> availableNewlineListers() {
    std::vector<NewlineLister> listers;
#if HWY_TARGETS & HWY_AVX3
    if (runsAvx512()) listers.push_back({"AVX-512", N_AVX3::ListNewlines});
#endif
#if HWY_TARGETS & HWY_AVX2
    if (runsAvx2()) listers.push_back({"AVX2", N_AVX2::ListNewlines});
#endif
    listers.push_back({"scalar", listNewlinesScalar});
    return listers;
}

std::size_t listNewlines(std::string_view bytes, std::uint32_t* out) {
    static const auto fastest = availableNewlineListers().front().list;
    return fastest(bytes, out);
}

}  // namespace dxf
#endif
