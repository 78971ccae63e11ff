#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "dxf/object_candidates.h"

namespace dxf {

// Where an object of one of the types searched for starts in an ASCII DXF file: the offset of its
// group-code line, and which of the types it is.
struct ObjectStart {
    std::size_t at = 0;
    std::size_t type = 0;   // index into the types searched for
    std::size_t after = 0;  // where the line after the type's starts
};

// The first object at or after `from` whose type is one of `types` (at most four, each at least
// two characters), found without reading the tags before it: the first line that holds the type,
// padded or not, right after a line holding group code 0. In a well-formed file that is exactly
// an object's start, as a group-code line never holds a type name. Looks at a whole vector per
// step for the type's first and last character (the widest the processor has), so that a file is
// searched at about the speed of memory.
std::optional<ObjectStart> findObjectStart(std::string_view data, std::size_t from,
                                           std::span<const std::string_view> types);

// The same with the candidates found by `findCandidates`: every finder finds the same starts.
std::optional<ObjectStart> findObjectStart(std::string_view data, std::size_t from,
                                           std::span<const std::string_view> types,
                                           CandidateFinder findCandidates);

// The offset of the line before the one that starts at `line`; 0 for the first two lines.
std::size_t previousLine(std::string_view data, std::size_t line);

// The line from `begin` to `end` (its '\n', or the data's end), without its line end (LF or
// CRLF).
std::string_view lineBetween(std::string_view data, std::size_t begin, std::size_t end);

}  // namespace dxf
