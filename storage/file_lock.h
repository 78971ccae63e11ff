#pragma once

#include <filesystem>
#include <utility>

#include "storage/open_file.h"

// An exclusive claim on a file between opening and saving it, so that two runs editing the same
// file cannot each keep only their own changes.
namespace storage {

class FileLock {
public:
    // Holds nothing: for what has no file.
    FileLock() = default;
    // Claims the file `path` names (through symbolic links). Throws storage::Error: kLocked when
    // another program holds it, the system's failure when the file cannot be opened. A file
    // system that knows no locks gives a lock that holds nothing rather than a file that cannot be
    // edited.
    explicit FileLock(const std::filesystem::path& path);
    // The same, except that where `held` already claims that file the claim is shared, not
    // refused: a program reopening the file it holds.
    FileLock(const std::filesystem::path& path, const FileLock& held);

    // Takes over `file`, already locked, for a new version of the file that now carries its name;
    // the old claim ends.
    void adopt(OpenFile file) { file_ = std::move(file); }
    // Locks the open `file` without waiting: false when another program holds the lock.
    static bool tryLock(const OpenFile& file, const std::filesystem::path& path);

private:
    OpenFile file_;  // the open file the claim is held through; empty when it holds nothing
};

}  // namespace storage
