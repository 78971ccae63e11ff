#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "storage/error.h"
#include "storage/file_names.h"
#include "storage/savable.h"
#include "storage/savable_posix.h"
#include "storage/system_error_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace fs = std::filesystem;

void ensureFileWritable(int folder, const std::string& name, const struct stat& current,
                        const fs::path& target) {
    // A file no one may write stays as it is, for root too, as editors open such files
    // read-only; one this user may not write (or immutable, on a read-only disk) too, even where
    // the folder would let a new version take its name.
    if ((current.st_mode & 0222) == 0) throw Error::readOnly(target);
    if (::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0) {
        throw errnoError(errno, Action::kSave, target);
    }
}

void ensureSavable(const fs::path& target) {
    const UniqueFd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) throw errnoError(errno, Action::kSave, target);
    const std::string name = target.filename().native();
    struct stat current {};
    if (::fstatat(folder.get(), name.c_str(), &current, AT_SYMLINK_NOFOLLOW) == 0) {
        ensureFileWritable(folder.get(), name, current, target);
    } else if (errno != ENOENT) {
        throw errnoError(errno, Action::kSave, target);
    }
    // Every save adds a name beside the file: its new version's, or its backup's.
    if (::faccessat(folder.get(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
        throw errnoError(errno, Action::kSave, target);
    }
}

}  // namespace storage
