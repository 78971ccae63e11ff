#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <unistd.h>

#include <cerrno>

#include "storage/file_exchange.h"
#include "storage/file_names.h"
#include "storage/system_error_posix.h"
#include "storage/temporary_names_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// Best effort: some file systems cannot sync a folder.
void syncFolderOf(const fs::path& file) {
    const UniqueFd folder(::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
}

}  // namespace

void exchangeFiles(const fs::path& first, const fs::path& second) {
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0) {
        syncFolderOf(first);
        return;
    }
    // A file system without the exchange (some network ones) gets the three renames below.
    if (errno != EINVAL && errno != ENOSYS) throw errnoError(errno, Action::kSave, first);
#endif
    const fs::path parked = folderOf(first) / temporaryName(first.filename().native(), "swap");
    // What a killed swap left there is the version of `first` that `second` also holds.
    ::unlink(parked.c_str());
    if (::rename(first.c_str(), parked.c_str()) != 0) {
        const int err = errno;
        ::unlink(parked.c_str());
        throw errnoError(err, Action::kSave, first);
    }
    if (::rename(second.c_str(), first.c_str()) != 0) {
        const int err = errno;
        ::rename(parked.c_str(), first.c_str());
        throw errnoError(err, Action::kSave, first);
    }
    if (::rename(parked.c_str(), second.c_str()) != 0) {
        throw errnoError(errno, Action::kSave, second);
    }
    syncFolderOf(first);
}

}  // namespace storage
