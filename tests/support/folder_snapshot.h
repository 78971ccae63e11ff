#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace testing_support {

// What a failed operation must leave as it was: every entry under a folder by its relative name,
// with its kind, permissions and, for a file, its size and a hash of its bytes, for a link, where
// it points. Equal snapshots mean nothing was added, removed or changed.
using FolderSnapshot = std::map<std::string, std::string>;

FolderSnapshot snapshotOf(const std::filesystem::path& folder);

}  // namespace testing_support
