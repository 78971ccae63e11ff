#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "storage/file_exchange.h"
#include "storage/file_names.h"
#include "storage/system_error_posix.h"
#include "storage/temporary_names_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace fs = std::filesystem;

void exchangeFiles(const fs::path& first, const fs::path& second) {
    const UniqueFd folder(::open(folderOf(first).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) throw errnoError(errno, Action::kSave, first);
    const std::string a = first.filename().native();
    const std::string b = second.filename().native();
#ifdef RENAME_EXCHANGE
    if (::renameat2(folder.get(), a.c_str(), folder.get(), b.c_str(), RENAME_EXCHANGE) == 0) {
        // Best effort: some file systems cannot sync a folder.
        ::fsync(folder.get());
        return;
    }
    // A file system without the exchange (some network ones) gets the three renames below.
    if (errno != EINVAL && errno != ENOSYS) throw errnoError(errno, Action::kSave, first);
#endif
    // `first` keeps its own name while it takes ours, where the file system has links; between
    // the renames one version has only our name, which the next run settles into the name that
    // is missing (leftovers_posix.h).
    OurNames ours(folder.get(), a);
    const std::optional<std::string> parkedName = ours.park(a, "swap");
    if (!parkedName) {
        const int err = errno;
        ours.allGone();
        throw errnoError(err, Action::kSave, first);
    }
    const std::string& parked = *parkedName;
    if (::renameat(folder.get(), b.c_str(), folder.get(), a.c_str()) != 0) {
        const int err = errno;
        // Over a second name of the same file the rename does nothing: our name goes then. Where
        // it fails, our name may be the version's only one: it stays, with the mark.
        if (::renameat(folder.get(), parked.c_str(), folder.get(), a.c_str()) == 0 &&
            (::unlinkat(folder.get(), parked.c_str(), 0) == 0 || errno == ENOENT)) {
            ours.allGone();
        }
        throw errnoError(err, Action::kSave, first);
    }
    if (::renameat(folder.get(), parked.c_str(), folder.get(), b.c_str()) != 0) {
        const int err = errno;
        // Back as they were where that can be done; otherwise the next run settles the rest.
        if (::renameat(folder.get(), a.c_str(), folder.get(), b.c_str()) == 0) {
            ::renameat(folder.get(), parked.c_str(), folder.get(), a.c_str());
        }
        throw errnoError(err, Action::kSave, second);
    }
    ours.allGone();
    ::fsync(folder.get());
}

}  // namespace storage
