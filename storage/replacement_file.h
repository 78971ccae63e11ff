#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "storage/file_lock.h"

namespace storage {

// A new version of the file `target`, saved so that nothing the file carries is lost and nothing is
// left half done: after a crash at any moment the file's name holds the old version or the new
// one (saving by copying: or a torn one, with the old version in a copy beside it). Until
// commit() succeeds the file and its older backup stay exactly as they were, and a replacement
// destroyed without a successful commit leaves no file behind. Failures throw storage::Error.
//
// On POSIX systems the new version normally goes to a new file that takes the file's mode, owner,
// group and extended attributes (access lists included) and then its name. Where a new file
// cannot carry all of that (another user's file, attributes that cannot be set) or the file has
// more than one name (hard links), the save goes by copying: the backup is written as a copy
// first, then the file's own bytes are overwritten, so every name keeps the same file. On Windows
// ReplaceFile keeps the file's attributes and access rights.
class ReplacementFile {
public:
    // Fails with kReadOnly when no one may write the file (root included), with the system's
    // failure when this user may not. `lock` is the file's claim; after the commit it holds the
    // file that then carries the name.
    ReplacementFile(std::filesystem::path target, FileLock& lock);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::string_view bytes);

    // Flushes the new version to disk, keeps the current target as `backup` (a file in the same
    // folder, replacing an older backup) and puts the new version in place.
    void commit(const std::filesystem::path& backup);

    // Whether this save overwrites the file in place (decided on construction).
    bool byCopying() const;

private:
    class Save;  // this system's way of saving
    std::unique_ptr<Save> save_;
};

// Removes the temporary files that a run killed while saving `target` left behind, where this
// system names them.
void removeLeftoversOf(const std::filesystem::path& target);

}  // namespace storage
