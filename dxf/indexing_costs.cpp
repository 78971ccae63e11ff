#include "dxf/indexing_costs.h"

namespace dxf {

LineSearch lineSearchFor(LineSearch asked, std::size_t left, bool (*idleCore)()) {
    if (asked != LineSearch::kAutomatic) return asked;
    // The second thread is asked about last: finding out how busy the cores are costs a call.
    if (left >= kSecondThreadFrom && idleCore()) return LineSearch::kAheadInParallel;
    return left >= kLinesAheadFrom ? LineSearch::kAhead : LineSearch::kOneAtATime;
}

bool attributeSearchPays(std::size_t size) { return size >= kAttributeSearchFrom; }

}  // namespace dxf
