// The candidate finders at the widest vectors of each instruction set dxf/highway_targets.h names.
#include "dxf/highway_targets.h"  // before Highway: it configures it

#include <string_view>
#include <vector>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "dxf/object_candidates_highway.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "dxf/little_endian.h"
#include "dxf/object_candidates.h"

HWY_BEFORE_NAMESPACE();
namespace dxf::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

CandidateBlock FindCandidates(std::string_view data, std::size_t at, const TypeEnds& ends) {
#if HWY_TARGET == HWY_SCALAR
    // One lane per vector: nothing to gain over the plain finder.
    return findCandidatesPlain(data, at, ends);
#else
    // Vectors of 16 to 64 bytes: a block is one or more whole vectors, each filling whole bytes of
    // the mask, lane 0 in bit 0.
    const hn::CappedTag<std::uint8_t, kCandidateBlock> d;
    using Vector = hn::Vec<decltype(d)>;
    const Vector newline = hn::Set(d, std::uint8_t{'\n'});
    const Vector space = hn::Set(d, std::uint8_t{' '});
    const Vector tab = hn::Set(d, std::uint8_t{'\t'});
    Vector first[kMostCandidateTypes], last[kMostCandidateTypes];
    for (std::size_t t = 0; t < ends.count; ++t) {
        first[t] = hn::Set(d, static_cast<std::uint8_t>(ends.first[t]));
        last[t] = hn::Set(d, static_cast<std::uint8_t>(ends.last[t]));
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    for (; at + kCandidateBlock + ends.longest <= data.size(); at += kCandidateBlock) {
        std::uint8_t bits[8] = {};
        for (std::size_t part = 0; part < kCandidateBlock; part += hn::Lanes(d)) {
            const std::uint8_t* p = bytes + at + part;
            const Vector before = hn::LoadU(d, p - 1);
            const Vector here = hn::LoadU(d, p);
            auto hits =
                hn::And(hn::Eq(here, first[0]), hn::Eq(hn::LoadU(d, p + ends.lastAt[0]), last[0]));
            for (std::size_t t = 1; t < ends.count; ++t) {
                hits = hn::Or(hits, hn::And(hn::Eq(here, first[t]),
                                            hn::Eq(hn::LoadU(d, p + ends.lastAt[t]), last[t])));
            }
            const auto boundary =
                hn::Or(hn::Or(hn::Eq(before, newline), hn::Eq(before, space)), hn::Eq(before, tab));
            hn::StoreMaskBits(d, hn::And(hits, boundary), bits + part / 8);
        }
        const auto candidates = littleEndian<std::uint64_t>(reinterpret_cast<const char*>(bits));
        if (candidates != 0) return {at, candidates};
    }
    return {at, 0};
#endif
}

}  // namespace dxf::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dxf {

std::vector<CandidateSearch> availableCandidateSearches() {
    std::vector<CandidateSearch> searches;
#if HWY_TARGETS & HWY_AVX3
    if (runsAvx512()) searches.push_back({"AVX-512", N_AVX3::FindCandidates});
#endif
#if HWY_TARGETS & HWY_AVX2
    if (runsAvx2()) searches.push_back({"AVX2", N_AVX2::FindCandidates});
#endif
    searches.push_back({"plain", findCandidatesPlain});
    return searches;
}

CandidateFinder fastestCandidateFinder() {
    static const CandidateFinder fastest = availableCandidateSearches().front().find;
    return fastest;
}

}  // namespace dxf
#endif
