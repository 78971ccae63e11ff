#include "dxf/indexing_costs.h"

#include <gtest/gtest.h>

#include <string>

namespace dxf {
namespace {

bool idle() { return true; }
bool busy() { return false; }

TEST(IndexingCosts, EachWayOfReadingIsChosenFromTheSizeItPaysAt) {
    constexpr LineSearch kAuto = LineSearch::kAutomatic, kOne = LineSearch::kOneAtATime,
                         kAhead = LineSearch::kAhead, kParallel = LineSearch::kAheadInParallel;
    const struct {
        LineSearch asked;
        std::size_t left;
        bool (*idleCore)();
        LineSearch chosen;
    } cases[] = {
        {kAuto, 0, idle, kOne},
        {kAuto, kLinesAheadFrom - 1, idle, kOne},
        {kAuto, kLinesAheadFrom, idle, kAhead},
        {kAuto, kSecondThreadFrom - 1, idle, kAhead},
        {kAuto, kSecondThreadFrom, idle, kParallel},
        {kAuto, kSecondThreadFrom, busy, kAhead},
        {kOne, kSecondThreadFrom, idle, kOne},
        {kAhead, 0, idle, kAhead},
        {kParallel, 0, busy, kParallel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.asked)) + " " + std::to_string(c.left));
        EXPECT_EQ(lineSearchFor(c.asked, c.left, c.idleCore), c.chosen);
    }
    EXPECT_FALSE(attributeSearchPays(kAttributeSearchFrom - 1));
    EXPECT_TRUE(attributeSearchPays(kAttributeSearchFrom));
}

}  // namespace
}  // namespace dxf
