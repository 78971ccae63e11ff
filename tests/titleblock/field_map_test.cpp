#include "titleblock/field_map.h"

#include <gtest/gtest.h>

#include <set>

namespace titleblock {
namespace {

TEST(FieldMap, RevisionDigitsRunAgainstFieldNumbers) {
    EXPECT_EQ(fieldForTag(u"版本号5"), 1);
    EXPECT_EQ(fieldForTag(u"版本号1"), 5);
    EXPECT_EQ(fieldForTag(u"日期5"), 16);
    EXPECT_EQ(fieldForTag(u"日期1"), 20);
    EXPECT_EQ(fieldForTag(u"编制时间"), 25);
    EXPECT_EQ(fieldForTag(u"产品代号"), 21);
}

TEST(FieldMap, NearMissesMatchNothing) {
    for (const std::u16string_view tag : {u"版本号 5", u"版本号５", u"编制日期", u" 签名3",
                                          u"签名3 ", u"", u"版本号", u"产品代号产品代号"}) {
        EXPECT_FALSE(fieldForTag(tag).has_value()) << std::u16string(tag).size();
    }
}

TEST(FieldMap, NoTagForANumberOutsideTheFields) {
    for (const int field : {0, 30, -1}) EXPECT_EQ(tagForField(field), u"") << field;
}

TEST(FieldMap, IsOneToOne) {
    std::set<std::u16string_view> tags;
    std::set<int> fields;
    for (const auto& row : kFieldMap) {
        tags.insert(row.tag);
        fields.insert(row.field);
        EXPECT_EQ(fieldForTag(row.tag), row.field);
        EXPECT_EQ(tagForField(row.field), row.tag);
    }
    EXPECT_EQ(tags.size(), 29u);
    EXPECT_EQ(fields.size(), 29u);
    EXPECT_EQ(*fields.begin(), 1);
    EXPECT_EQ(*fields.rbegin(), 29);
}

}  // namespace
}  // namespace titleblock
