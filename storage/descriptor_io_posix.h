#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Whole reads, writes and copies over open descriptors, carried on through interruptions.
// Failures throw storage::Error naming `path`.
namespace storage {

// Reads from `fd` into content[done..] until end of file or until `content` is full; returns how
// far it is filled.
std::size_t readInto(int fd, std::string& content, std::size_t done,
                     const std::filesystem::path& path);

// Writes all of `bytes` to `fd` where it stands.
void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path);

// Copies the whole content of `from` to `to`, both from their start; the kernel copies without a
// detour through memory where it can.
void copyContent(int from, int to, const std::filesystem::path& path);

// Has the kernel copy up to `size` bytes of `from`, from `*in` on, to `to` where it stands (or at
// `*out` when given), advancing both. Returns how many it copied: all of them, or fewer where
// `from` ends first or where the kernel cannot copy between the two files (`unsupported` is then
// set and the rest is the caller's to write).
std::size_t copyInKernel(int from, loff_t* in, int to, loff_t* out, std::size_t size,
                         bool& unsupported, const std::filesystem::path& path);

}  // namespace storage
