#pragma once

#include <filesystem>

#include "storage/error.h"

namespace storage {

// The failure `err` (an errno value), with the Windows error code the same cause gives there.
Error errnoError(int err, Action action, const std::filesystem::path& path);

}  // namespace storage
