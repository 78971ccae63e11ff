#include "dxf/group_codes.h"

#include <array>

namespace dxf {

namespace {

struct Range {
    int first;
    int last;
    ValueKind kind;
};

// The group-code ranges of the DXF reference.
constexpr std::array<Range, 30> kRanges{{
    {0, 9, ValueKind::kString},       {10, 59, ValueKind::kDouble},
    {60, 79, ValueKind::kInt16},      {90, 99, ValueKind::kInt32},
    {100, 102, ValueKind::kString},   {105, 105, ValueKind::kString},
    {110, 149, ValueKind::kDouble},   {160, 169, ValueKind::kInt64},
    {170, 179, ValueKind::kInt16},    {210, 239, ValueKind::kDouble},
    {270, 289, ValueKind::kInt16},    {290, 299, ValueKind::kBool},
    {300, 309, ValueKind::kString},   {310, 319, ValueKind::kBinaryChunk},
    {320, 369, ValueKind::kString},   {370, 389, ValueKind::kInt16},
    {390, 399, ValueKind::kString},   {400, 409, ValueKind::kInt16},
    {410, 419, ValueKind::kString},   {420, 429, ValueKind::kInt32},
    {430, 439, ValueKind::kString},   {440, 459, ValueKind::kInt32},
    {460, 469, ValueKind::kDouble},   {470, 481, ValueKind::kString},
    {999, 1003, ValueKind::kString},  {1004, 1004, ValueKind::kBinaryChunk},
    {1005, 1009, ValueKind::kString}, {1010, 1059, ValueKind::kDouble},
    {1060, 1070, ValueKind::kInt16},  {1071, 1071, ValueKind::kInt32},
}};

constexpr int kHighestCode = 1071;

// Every group code's kind, looked up once per tag of a binary file.
constexpr std::array<ValueKind, kHighestCode + 1> kindsByCode() {
    std::array<ValueKind, kHighestCode + 1> kinds{};
    kinds.fill(ValueKind::kUnknown);
    for (const Range& range : kRanges) {
        for (int code = range.first; code <= range.last; ++code) {
            kinds[static_cast<std::size_t>(code)] = range.kind;
        }
    }
    return kinds;
}

constexpr auto kKinds = kindsByCode();

}  // namespace

ValueKind valueKind(int groupCode) {
    if (groupCode < 0 || groupCode > kHighestCode) return ValueKind::kUnknown;
    return kKinds[static_cast<std::size_t>(groupCode)];
}

int fixedSize(ValueKind kind) {
    switch (kind) {
        case ValueKind::kDouble:
        case ValueKind::kInt64:
            return 8;
        case ValueKind::kInt32:
            return 4;
        case ValueKind::kInt16:
            return 2;
        case ValueKind::kBool:
            return 1;
        default:
            return 0;
    }
}

}  // namespace dxf
