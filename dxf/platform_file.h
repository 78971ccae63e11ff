#pragma once

#include <filesystem>
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

// The whole content of a regular file, read at once.
std::string readWholeFile(const std::filesystem::path& path);

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
