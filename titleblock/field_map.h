#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace titleblock {

inline constexpr int kFieldCount = 29;

// One title-block attribute: its tag in the drawing and the number of the field (1..29) that shows
// it.
struct FieldMapRow {
    std::u16string_view tag;
    int field;
};

// The rows in the order both operations test them.
extern const std::array<FieldMapRow, kFieldCount> kFieldMap;

// The field of the first row whose tag equals `tag` code unit for code unit, or nothing.
std::optional<int> fieldForTag(std::u16string_view tag);

// The tag that field `field` (1..29) shows.
std::u16string_view tagForField(int field);

// Field numbers 1..29 in ascending order.
std::array<int, kFieldCount> fieldsInOrder();

}  // namespace titleblock
