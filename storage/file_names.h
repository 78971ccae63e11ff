#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// What the system says about a file's names: which file a name leads to, and whether a folder
// tells names apart by letter case.
namespace storage {

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

// The folder that holds the file `path` names: its parent, or the current folder.
inline std::filesystem::path folderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

}  // namespace storage
