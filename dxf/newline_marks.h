#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dxf {

// Where the newlines of a stretch of bytes are, as one 64-bit word per 64 bytes: bit i of word k
// is set when byte 64 k + i is '\n'. A scanner that knows them finds each line end with one bit
// search instead of looking at every byte of every line.
inline constexpr std::size_t kMarkedBlock = 64;

// Marks the newlines of `bytes` into the ceil(size / 64) words at `marks`; bits past the end of
// `bytes` are clear. Uses the widest vector unit the processor has where the build has one.
void markNewlines(std::string_view bytes, std::uint64_t* marks);

// The same, eight bytes at a time without vector instructions: the reference the vector paths are
// tested against, and what marks the bytes after the last whole block.
void markNewlinesScalar(std::string_view bytes, std::uint64_t* marks);

// A function with markNewlines' signature, for choosing a marker.
using NewlineMarker = void (*)(std::string_view bytes, std::uint64_t* marks);

}  // namespace dxf
