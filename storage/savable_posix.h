#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace storage {

// The checks of ensureSavable() on the file `name` (whose state is `current`) in the open folder
// `folder`, for a save that has them at hand; `target` is the path to name in an error.
void ensureFileWritable(int folder, const std::string& name, const struct stat& current,
                        const std::filesystem::path& target);

}  // namespace storage
