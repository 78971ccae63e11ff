#pragma once

#include <filesystem>

#include "storage/error.h"

namespace storage {

// The failure the calling thread's last error code (GetLastError) tells of.
Error lastError(Action action, const std::filesystem::path& path);

// A folder where a file was to be opened, numbered as the system numbers that itself.
Error folderError(const std::filesystem::path& path);

}  // namespace storage
