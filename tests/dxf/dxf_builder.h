#pragma once

#include <string>
#include <utility>
#include <vector>

// Small DXF files written tag by tag, for tests that need exact bytes.
namespace testing_support {

using Tags = std::vector<std::pair<int, std::string>>;

// ASCII DXF with the given line end.
std::string asciiDxf(const Tags& tags, const std::string& lineEnd = "\n");

// Binary DXF: the sentinel, then each tag with a one-byte (R12) or two-byte group code and its
// value stored by the group code's type (numbers are given as decimal text).
std::string binaryDxf(const Tags& tags, bool oneByteCodes);

// A whole drawing: HEADER with $ACADVER (and $DWGCODEPAGE when not empty), then ENTITIES with
// `entities`, then EOF.
Tags drawingTags(const std::string& version, const std::string& codePage, const Tags& entities);

}  // namespace testing_support
