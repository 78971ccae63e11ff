#include "storage/leftovers_posix.h"

#include <fcntl.h>
#include <stdio.h>  // renameat
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "storage/temporary_names_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace {

// The regular file `name` in `folder`, not through a link; nullopt where there is none.
std::optional<struct stat> regularEntry(int folder, const std::string& name) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return st;
}

bool readFully(int fd, std::string& buffer, off_t at) {
    for (std::size_t done = 0; done < buffer.size();) {
        const ssize_t got =
            ::pread(fd, buffer.data() + done, buffer.size() - done, at + static_cast<off_t>(done));
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// Whether the regular files `a` and `b` hold the same bytes: the same file, or copies.
bool sameContent(int folder, const std::string& a, const std::string& b) {
    const auto first = regularEntry(folder, a);
    const auto second = regularEntry(folder, b);
    if (!first || !second || first->st_size != second->st_size) return false;
    if (first->st_dev == second->st_dev && first->st_ino == second->st_ino) return true;
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    const UniqueFd x(::openat(folder, a.c_str(), flags));
    const UniqueFd y(::openat(folder, b.c_str(), flags));
    if (!x || !y) return false;
    constexpr off_t kChunk = 1 << 20;
    std::string left, right;
    for (off_t at = 0; at < first->st_size; at += kChunk) {
        const auto size = static_cast<std::size_t>(std::min(kChunk, first->st_size - at));
        left.resize(size);
        right.resize(size);
        if (!readFully(x.get(), left, at) || !readFully(y.get(), right, at) || left != right) {
            return false;
        }
    }
    return true;
}

bool modifiedBefore(const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec != b.st_mtim.tv_sec ? a.st_mtim.tv_sec < b.st_mtim.tv_sec
                                                : a.st_mtim.tv_nsec < b.st_mtim.tv_nsec;
}

// Whether the name `name` went.
bool removeEntry(int folder, const std::string& name) {
    return ::unlinkat(folder, name.c_str(), 0) == 0;
}

// Whether the file `from` took the name `to`.
bool moveTo(int folder, const std::string& from, const std::string& to) {
    if (::renameat(folder, from.c_str(), folder, to.c_str()) != 0) return false;
    // Over a second name of the same file a rename does nothing: the leftover name goes then.
    ::unlinkat(folder, from.c_str(), 0);
    return true;
}

// Each settle below says whether it changed a name in the folder.

// An earlier version of the file with our name only: a copy of the file or of its backup goes;
// one newer than the backup (or with none) becomes the backup, so that restore brings it back;
// any other stays, for no whole version is ever dropped.
bool settleEarlierVersion(int folder, const std::string& leftover, const std::string& name,
                          const std::string& backupName) {
    const auto kept = regularEntry(folder, leftover);
    if (!kept) return false;
    if (sameContent(folder, leftover, name) || sameContent(folder, leftover, backupName)) {
        return removeEntry(folder, leftover);
    }
    const auto backup = regularEntry(folder, backupName);
    return (!backup || modifiedBefore(*backup, *kept)) && moveTo(folder, leftover, backupName);
}

// The backup a save set aside before giving its name to the current version: put back while the
// save had not yet changed the file (the backup's name still gives the file's own bytes, or
// nothing); dropped once it had, as the completed save would have done.
bool settleOlderBackup(int folder, const std::string& leftover, const std::string& name,
                       const std::string& backupName) {
    if (!regularEntry(folder, leftover)) return false;
    if (!regularEntry(folder, backupName) || sameContent(folder, backupName, name)) {
        return moveTo(folder, leftover, backupName);
    }
    return removeEntry(folder, leftover);
}

// The file's version an exchange with its backup parked: it goes back where a name is missing,
// and is settled as an earlier version otherwise.
bool settleParked(int folder, const std::string& leftover, const std::string& name,
                  const std::string& backupName) {
    if (!regularEntry(folder, leftover)) return false;
    if (!regularEntry(folder, name)) return moveTo(folder, leftover, name);
    if (!regularEntry(folder, backupName)) return moveTo(folder, leftover, backupName);
    return settleEarlierVersion(folder, leftover, name, backupName);
}

}  // namespace

void settleLeftovers(int folder, const std::string& name, const std::string& backupName) {
    const std::string mark = markOf(name);
    struct stat st {};
    // No mark, no run of ours left names for the file: the folder need not be read.
    if (::fstatat(folder, mark.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    const auto ours = temporaryNamesIn(folder, name);
    const auto inRole = [&ours](std::string_view role) -> std::span<const std::string> {
        const auto found = ours.find(role);
        if (found == ours.end()) return {};
        return found->second;
    };
    bool changed = false;
    // A new version that never took the file's name was never more than a draft.
    for (const std::string& draft : inRole("new")) {
        changed = (regularEntry(folder, draft) && removeEntry(folder, draft)) || changed;
    }
    for (const std::string& parked : inRole("swap")) {
        changed = settleParked(folder, parked, name, backupName) || changed;
    }
    for (const std::string& older : inRole("older")) {
        changed = settleOlderBackup(folder, older, name, backupName) || changed;
    }
    for (const std::string& earlier : inRole("old")) {
        changed = settleEarlierVersion(folder, earlier, name, backupName) || changed;
    }
    // The mark stays while anything of ours does, so that the next run looks again.
    const bool anyLeft = std::any_of(ours.begin(), ours.end(), [&](const auto& role) {
        return std::any_of(role.second.begin(), role.second.end(), [&](const std::string& left) {
            return ::fstatat(folder, left.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        });
    });
    if (!anyLeft) changed = removeEntry(folder, mark) || changed;
    // A folder whose names stayed has nothing new to put on disk.
    if (changed) ::fsync(folder);
}

}  // namespace storage
