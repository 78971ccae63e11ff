#pragma once

#include <filesystem>

namespace storage {

// Gives the open file `fd` exactly the extended attributes of `path` (access lists included);
// false where any cannot be read or set.
bool copyExtendedAttributes(const std::filesystem::path& path, int fd);

}  // namespace storage
