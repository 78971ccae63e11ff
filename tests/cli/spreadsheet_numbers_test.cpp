// What a spreadsheet does to numbers it finds in text, told apart from what a user typed.

#include "cli/spreadsheet_numbers.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

TEST(SpreadsheetNumbers, TellsASpreadsheetsRewriteFromAnEdit) {
    const struct {
        std::u16string before;
        std::u16string now;
        bool changedBySpreadsheet;
    } cases[] = {
        {u"007", u"7", true},
        {u"0012", u"12", true},
        {u"000123", u"123", true},
        {u"123456789012345678", u"1.23456789012346E+017", true},
        {u"123456789012345678", u"1.23456789012346E+17", true},
        {u"=1+1", u"2", true},
        {u"0.10", u"0.1", true},
        {u"1.0", u"1", true},
        {u"1E5", u"100000", true},
        {u"+5", u"5", true},
        {u"-0.50", u"-0.5", true},
        // Edits: another number, more zeros, text, or a value that was not a number.
        {u"007", u"8", false},
        {u"7", u"007", false},
        {u"0.1", u"0.10", false},
        {u"007", u"007", false},
        {u"123456789012345678", u"1.2E+017", false},
        {u"1.0", u"一", false},
        {u"2024.03.18", u"2024.3", false},
        {u"+86 10", u"8610", false},
        {u"TRUE", u"1", false},
        {u"", u"7", false},
        {u"=A1", u"=A2", false},
        {u"ZD-007", u"ZD-7", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before) + " -> " + testing::PrintToString(c.now));
        EXPECT_EQ(spreadsheetChangedNumber(c.before, c.now), c.changedBySpreadsheet);
    }
    // One refusal names every reformatted value of the drawing, and only those.
    const auto refusal = spreadsheetNumberRefusal({{u"零件代号", u"007", u"7"},
                                                   {u"零件名称", u"轴", u"新轴"},
                                                   {u"产品代号", u"0.10", u"0.1"}});
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->number(), cad::errc::kSpreadsheetNumber);
    EXPECT_TRUE(refusal->description().starts_with(
        u"零件代号：图形中是“007”，表格中是“7”。产品代号：图形中是“0.10”，表格中是“0.1”。"
        u"表格程序改变了数字格式"));
    EXPECT_FALSE(spreadsheetNumberRefusal({{u"零件名称", u"轴", u"新轴"}}).has_value());
}

}  // namespace
}  // namespace cli
