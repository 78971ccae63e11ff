#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dxf/error.h"

// The only place that calls the operating system's file API; everything above it is portable.
// Failures throw dxf::Error carrying the Windows error code of the cause on every platform.
namespace dxf::platform {

#ifndef _WIN32
// The failure `err` (an errno value) numbered as the same cause is on Windows.
Error errnoError(int err, FileAction action, const std::filesystem::path& path);
#endif

// How many bytes of a file checkHead sees before the rest is read.
inline constexpr std::size_t kHeadSize = 4096;

// Looks at a file's first bytes (kHeadSize, or fewer when the file is shorter) and throws to
// refuse it before the rest is read.
using HeadCheck = std::function<void(std::string_view head)>;

// The largest file this machine can hold in memory along with the rest of the program: half its
// physical memory, less where the process's address space is limited.
std::uint64_t largestReadableFile();

// The whole content of a regular file or a pipe, read at once. With `checkHead`, the first bytes
// are checked before any more memory is taken; a file larger than largestReadableFile() is
// refused (kFileTooLarge) before it is read, a pipe as soon as it passes that size.
std::string readWholeFile(const std::filesystem::path& path, const HeadCheck& checkHead = {});

// How the system numbers a file: equal for every path that leads to it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
};

// The file `path` leads to, through symbolic links; nullopt when it leads to none.
std::optional<FileIdentity> identityOf(const std::filesystem::path& path);

// Whether `folder` takes names that differ only in ASCII letter case as one name, found by
// looking up one of its entries in the other case. True where there is no telling (no entry with
// a letter), since then two such names must be kept apart as if they were one.
bool foldsCase(const std::filesystem::path& folder);

// Whether `path` names a regular file (through symbolic links).
bool isRegularFile(const std::filesystem::path& path);

// Swaps the two files under their names: atomically where the system can (Linux), else in three
// renames through a temporary name beside `first`. Both must exist.
void exchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second);

// A new version of `target`, written to a temporary file in the same folder and moved into place
// only when complete. Until commit() succeeds the target is untouched; a replacement that is
// destroyed without a successful commit removes its temporary file.
class ReplacementFile {
public:
    explicit ReplacementFile(std::filesystem::path target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::string_view bytes);

    // Flushes the new version to disk, keeps the current target as `backup` (replacing an older
    // backup), then moves the new version into place with the target's permissions.
    void commit(const std::filesystem::path& backup);

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    bool committed_ = false;
};

}  // namespace dxf::platform
