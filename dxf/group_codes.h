#pragma once

namespace dxf {

// How a binary DXF stores the value of a group code.
enum class ValueKind { kString, kDouble, kInt16, kInt32, kInt64, kBool, kBinaryChunk, kUnknown };

ValueKind valueKind(int groupCode);

// Byte size of a fixed-size value; 0 for strings and binary chunks.
int fixedSize(ValueKind kind);

}  // namespace dxf
