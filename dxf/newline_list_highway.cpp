// The vector listers, compiled for 256- and 512-bit vectors; the first call picks the best one the
// processor has. Highway's own dispatch lives in its shared library, whose loading alone costs
// every process start milliseconds, so the pick is made here and only Highway's headers are used.
// Instruction sets and features the vector code has no use for are left out, so that asking the
// processor for those it uses is enough.
#define HWY_DISABLED_TARGETS (HWY_SSSE3 | HWY_SSE4 | HWY_AVX3_DL)
#define HWY_DISABLE_PCLMUL_AES
#define HWY_DISABLE_F16C
// Highway's checks of debug builds report through its library too; the tests check every lister
// at every offset instead.
#define HWY_IS_DEBUG_BUILD 0
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

namespace {

#if HWY_TARGETS & (HWY_AVX2 | HWY_AVX3)
// Whether the processor has what the 256-bit code is compiled for: Highway's features for it, less
// those left out above. The 512-bit code needs these too.
bool runsAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") &&
           __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("avx") &&
           __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma");
}
#endif

}  // namespace

std::vector<NewlineLister> availableNewlineListers() {
    std::vector<NewlineLister> listers;
#if HWY_TARGETS & HWY_AVX3
    if (runsAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw")) {
        listers.push_back({"AVX-512", N_AVX3::ListNewlines});
    }
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
