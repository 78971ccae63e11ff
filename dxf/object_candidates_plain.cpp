// Builds without a vector library find candidates sixteen bytes at a time.
#include "dxf/object_candidates.h"

namespace dxf {

std::vector<CandidateSearch> availableCandidateSearches() {
    return {{"plain", findCandidatesPlain}};
}

CandidateFinder fastestCandidateFinder() { return findCandidatesPlain; }

}  // namespace dxf
