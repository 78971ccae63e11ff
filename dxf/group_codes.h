#pragma once

namespace dxf {

// The group codes whose meaning the reader relies on.
namespace group_code {
inline constexpr int kPaperSpace = 67;        // 1 when the entity is in paper space
inline constexpr int kSubclassMarker = 100;   // names the class of the data that follows
inline constexpr int kEmbeddedObject = 101;   // starts an object embedded in the entity
inline constexpr int kApplicationData = 102;  // "{APP" opens an application's group, "}" closes it
inline constexpr int kComment = 999;          // a comment, anywhere
inline constexpr int kExtendedData = 1001;    // starts an application's extended data
}  // namespace group_code

// How a binary DXF stores the value of a group code.
enum class ValueKind { kString, kDouble, kInt16, kInt32, kInt64, kBool, kBinaryChunk, kUnknown };

ValueKind valueKind(int groupCode);

// Byte size of a fixed-size value; 0 for strings and binary chunks.
int fixedSize(ValueKind kind);

}  // namespace dxf
