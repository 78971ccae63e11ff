#include "dxf/indexing_costs.h"

#include <gtest/gtest.h>

namespace dxf {
namespace {

bool idle() { return true; }
bool busy() { return false; }

// What other tests cannot see: a way asked for is the way taken (the fuzzer and the scanner tests
// ask for each), and a busy machine gets no second thread.
TEST(IndexingCosts, AWayAskedForIsTakenAndABusyMachineGetsNoSecondThread) {
    const struct {
        LineSearch asked;
        bool (*idleCore)();
        LineSearch chosen;
    } cases[] = {
        {LineSearch::kAutomatic, idle, LineSearch::kAheadInParallel},
        {LineSearch::kAutomatic, busy, LineSearch::kAhead},
        {LineSearch::kOneAtATime, idle, LineSearch::kOneAtATime},
        {LineSearch::kAheadInParallel, busy, LineSearch::kAheadInParallel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.asked));
        EXPECT_EQ(lineSearchFor(c.asked, kSecondThreadFrom, c.idleCore), c.chosen);
    }
    EXPECT_FALSE(attributeSearchPays(kAttributeSearchFrom - 1)) << "8 MB and more are searched";
    EXPECT_TRUE(attributeSearchPays(kAttributeSearchFrom));
}

}  // namespace
}  // namespace dxf
