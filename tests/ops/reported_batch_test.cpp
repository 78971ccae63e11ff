#include "ops/reported_batch.h"

#include <gtest/gtest.h>

#include "fake_cad.h"

namespace ops {
namespace {

using testing_support::insert;
using testing_support::line;

TEST(ReportedBatch, ReadsTheTitleBlockValuesOfModelSpaceAndWithLayoutsOfEachLayout) {
    testing_support::Log log;
    testing_support::Cad cad(log);
    cad.addDrawing(u"two", {insert({{u"零件名称", u"甲"}, {u"材料", u"钢"}}),
                            insert({{u"零件名称", u"乙"}, {u"审核签字", u""}})});
    cad.addDrawing(u"none", {line(), insert({{u"材料", u"钢"}})});
    cad.addDrawing(u"paper", {line()});
    cad.drawing(u"paper").layouts = {{insert({{u"零件名称", u"甲"}})},
                                     {insert({{u"零件名称", u"乙"}, {u"审核签字", u"丙"}})}};
    cad.addDrawing(u"both", {insert({{u"零件名称", u"甲"}, {u"审核签字", u"丁"}})});
    cad.drawing(u"both").layouts = {{insert({{u"零件名称", u"甲"}, {u"审核签字", u"戊"}})}};
    const struct {
        const char16_t* path;
        bool layouts;
        std::map<int, std::u16string> values;
        std::vector<std::u16string> differing;
    } cases[] = {
        {u"two", false, {{22, u"乙"}, {28, u""}}, {}},            // later attributes win
        {u"two", true, {{22, u"甲"}, {28, u""}}, {u"零件名称"}},  // the first wins, told
        {u"none", true, {}, {}},
        {u"paper", false, {}, {}},
        {u"paper", true, {{22, u"甲"}, {28, u"丙"}}, {u"零件名称"}},
        {u"both", false, {{22, u"甲"}, {28, u"丁"}}, {}},
        {u"both", true, {{22, u"甲"}, {28, u"丁"}}, {u"审核签字"}},
    };
    for (const auto& c : cases) {
        const TitleBlockRead read = readTitleBlockValues(cad.connect(), c.path, c.layouts);
        EXPECT_EQ(read.values, c.values) << testing_support::utf8(c.path) << c.layouts;
        EXPECT_EQ(read.differing, c.differing) << testing_support::utf8(c.path) << c.layouts;
    }
}

}  // namespace
}  // namespace ops
