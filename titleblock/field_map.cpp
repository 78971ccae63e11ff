#include "titleblock/field_map.h"

#include <algorithm>
#include <numeric>

namespace titleblock {

const std::array<FieldMapRow, kFieldCount> kFieldMap{{
    {u"产品代号", 21},    {u"零件名称", 22},   {u"零件代号", 23},   {u"版本号5", 1},
    {u"版本号4", 2},      {u"版本号3", 3},     {u"版本号2", 4},     {u"版本号1", 5},
    {u"更改通知号5", 6},  {u"更改通知号4", 7}, {u"更改通知号3", 8}, {u"更改通知号2", 9},
    {u"更改通知号1", 10}, {u"签名5", 11},      {u"签名4", 12},      {u"签名3", 13},
    {u"签名2", 14},       {u"签名1", 15},      {u"日期5", 16},      {u"日期4", 17},
    {u"日期3", 18},       {u"日期2", 19},      {u"日期1", 20},      {u"编制签字", 24},
    {u"编制时间", 25},    {u"校对签字", 26},   {u"校对时间", 27},   {u"审核签字", 28},
    {u"审核时间", 29},
}};

std::optional<int> fieldForTag(std::u16string_view tag) {
    const auto row = std::find_if(kFieldMap.begin(), kFieldMap.end(),
                                  [tag](const FieldMapRow& r) { return r.tag == tag; });
    if (row == kFieldMap.end()) return std::nullopt;
    return row->field;
}

std::u16string_view tagForField(int field) {
    const auto row = std::find_if(kFieldMap.begin(), kFieldMap.end(),
                                  [field](const FieldMapRow& r) { return r.field == field; });
    return row == kFieldMap.end() ? std::u16string_view() : row->tag;
}

std::array<int, kFieldCount> fieldsInOrder() {
    std::array<int, kFieldCount> fields{};
    std::iota(fields.begin(), fields.end(), 1);
    return fields;
}

}  // namespace titleblock
