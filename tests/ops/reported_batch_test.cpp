#include "ops/reported_batch.h"

#include <gtest/gtest.h>

#include "fake_cad.h"

namespace ops {
namespace {

using testing_support::insert;
using testing_support::line;

TEST(ReportedBatch, ReadsTheTitleBlockValuesLaterAttributesWinning) {
    testing_support::Log log;
    testing_support::Cad cad(log);
    cad.addDrawing(u"two", {insert({{u"零件名称", u"甲"}, {u"材料", u"钢"}}),
                            insert({{u"零件名称", u"乙"}, {u"审核签字", u""}})});
    cad.addDrawing(u"none", {line(), insert({{u"材料", u"钢"}})});
    EXPECT_EQ(readTitleBlockValues(cad.connect(), u"two"),
              (std::map<int, std::u16string>{{22, u"乙"}, {28, u""}}));
    EXPECT_TRUE(readTitleBlockValues(cad.connect(), u"none").empty());
}

}  // namespace
}  // namespace ops
