#include "cli/values_file.h"

#include <gtest/gtest.h>

#include "base/hresult.h"
#include "cli/usage_error.h"

namespace cli {
namespace {

TEST(ParseValues, SetsTheFieldsOfTheListedTags) {
    const struct {
        const char* name;
        std::string text;
        FieldValues expected;
    } cases[] = {
        {"empty file", "", {}},
        {"no final newline", "零件名称\t轴", {{22, u"轴"}}},
        {"escapes, empty and space values",
         "版本号5\tA\\tB\\\\\n签名3\t\n审核时间\t \n",
         {{1, u"A\tB\\"}, {13, u""}, {29, u" "}}},
        {"byte-order mark, CRLF and blank lines",
         "\xEF\xBB\xBF产品代号\tP-1\r\n\r\n\n零件代号\tX\r\n",
         {{21, u"P-1"}, {23, u"X"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseValues(c.text, u"v.tsv"), c.expected);
    }
}

TEST(ParseValues, RejectsWhatItCannotCarryOutNamingFileAndLine) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"unknown tag", "零件名称\tok\n材料\t钢\n"},
        {"full-width digit", "零件名称\tok\n版本号５\tA\n"},
        {"tag with a trailing space", "零件名称\tok\n签名3 \tA\n"},
        {"no tab", "零件名称\tok\n零件代号\n"},
        {"raw tab in the value", "零件名称\tok\n零件代号\ta\tb\n"},
        {"bad escape", "零件名称\tok\n零件代号\ta\\x\n"},
        {"repeated tag", "零件名称\tok\n零件名称\tagain\n"},
        {"invalid UTF-8", "零件名称\tok\n零件代号\t\xC0\xAF\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            parseValues(c.text, u"/tmp/值.tsv");
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_EQ(e.number(), base::hresult(0x80070057));
            EXPECT_NE(e.description().find(u"/tmp/值.tsv"), std::u16string::npos);
            EXPECT_NE(e.description().find(u"第 2 行"), std::u16string::npos);
        }
    }
}

}  // namespace
}  // namespace cli
