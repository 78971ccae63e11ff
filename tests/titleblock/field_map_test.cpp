#include "titleblock/field_map.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <utility>

namespace titleblock {
namespace {

// The 29 rows written out on their own, in the order both operations test them, so that a
// wrong or swapped row in the map fails here.
const std::pair<std::u16string_view, int> kIndependentRows[] = {
    {u"产品代号", 21},    {u"零件名称", 22},   {u"零件代号", 23},   {u"版本号5", 1},
    {u"版本号4", 2},      {u"版本号3", 3},     {u"版本号2", 4},     {u"版本号1", 5},
    {u"更改通知号5", 6},  {u"更改通知号4", 7}, {u"更改通知号3", 8}, {u"更改通知号2", 9},
    {u"更改通知号1", 10}, {u"签名5", 11},      {u"签名4", 12},      {u"签名3", 13},
    {u"签名2", 14},       {u"签名1", 15},      {u"日期5", 16},      {u"日期4", 17},
    {u"日期3", 18},       {u"日期2", 19},      {u"日期1", 20},      {u"编制签字", 24},
    {u"编制时间", 25},    {u"校对签字", 26},   {u"校对时间", 27},   {u"审核签字", 28},
    {u"审核时间", 29},
};

TEST(FieldMap, HoldsEveryRowInOrder) {
    ASSERT_EQ(std::size(kIndependentRows), kFieldMap.size());
    for (std::size_t i = 0; i < kFieldMap.size(); ++i) {
        const auto& [tag, field] = kIndependentRows[i];
        EXPECT_EQ(kFieldMap[i].tag, tag) << "row " << i + 1;
        EXPECT_EQ(kFieldMap[i].field, field) << "row " << i + 1;
        EXPECT_EQ(fieldForTag(tag), field) << "row " << i + 1;
    }
}

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
