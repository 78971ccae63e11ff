#include "dxf/object_candidates.h"

#include <cstring>

namespace dxf {

namespace {

using Bytes = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kStep = sizeof(Bytes);

Bytes load(const char* p) {
    Bytes bytes;
    std::memcpy(&bytes, p, kStep);
    return bytes;
}

Bytes splat(char c) {
    Bytes bytes;
    std::memset(&bytes, c, kStep);
    return bytes;
}

bool anySet(Bytes bytes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &bytes, kStep);
    return (halves[0] | halves[1]) != 0;
}

}  // namespace

CandidateBlock findCandidatesPlain(std::string_view data, std::size_t at, const TypeEnds& ends) {
    const Bytes newline = splat('\n'), space = splat(' '), tab = splat('\t');
    Bytes first[kMostCandidateTypes] = {}, last[kMostCandidateTypes] = {};
    for (std::size_t t = 0; t < ends.count; ++t) {
        first[t] = splat(ends.first[t]);
        last[t] = splat(ends.last[t]);
    }
    for (; at + kCandidateBlock + ends.longest <= data.size(); at += kCandidateBlock) {
        std::uint64_t candidates = 0;
        for (std::size_t part = 0; part < kCandidateBlock; part += kStep) {
            const char* p = data.data() + at + part;
            const Bytes before = load(p - 1);
            const Bytes here = load(p);
            Bytes hits{};
            for (std::size_t t = 0; t < ends.count; ++t) {
                hits |= (here == first[t]) & (load(p + ends.lastAt[t]) == last[t]);
            }
            hits &= (before == newline) | (before == space) | (before == tab);
            // Most parts have none: their bits are gathered only when some are set.
            if (!anySet(hits)) [[likely]]
                continue;
            for (std::size_t i = 0; i < kStep; ++i) {
                if (hits[i] != 0) candidates |= std::uint64_t{1} << (part + i);
            }
        }
        if (candidates != 0) return {at, candidates};
    }
    return {at, 0};
}

}  // namespace dxf
