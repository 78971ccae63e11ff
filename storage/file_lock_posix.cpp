#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "storage/file_lock.h"
#include "storage/system_error_posix.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

bool sameFile(int fd, const fs::path& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Write access where the user has it; a file that cannot be written is claimed for reading,
// which still keeps a second run from editing it.
UniqueFd openForLock(const fs::path& path) {
    const int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    UniqueFd fd(::open(path.c_str(), O_RDWR | flags));
    if (fd || (errno != EACCES && errno != EPERM && errno != EROFS && errno != ETXTBSY)) {
        return fd;
    }
    return UniqueFd(::open(path.c_str(), O_RDONLY | flags));
}

}  // namespace

bool FileLock::tryLock(const OpenFile& file, const fs::path& path) {
    const int mode = ::fcntl(file.get(), F_GETFL);
    if (mode < 0) throw errnoError(errno, Action::kOpen, path);
    // An open-file-description lock belongs to this descriptor, not to the process: it conflicts
    // with every other open of the file, in this process too, and ends when the descriptor closes.
    struct flock claim {};
    claim.l_type = (mode & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
    claim.l_whence = SEEK_SET;
    if (::fcntl(file.get(), F_OFD_SETLK, &claim) == 0) return true;
    if (errno == EAGAIN || errno == EACCES) return false;
    // A file system without locks (some network shares) edits unlocked, as before.
    if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP) return true;
    throw errnoError(errno, Action::kOpen, path);
}

FileLock::FileLock(const fs::path& path) {
    // Only a regular file is ever saved. Anything else is not even opened here: a FIFO held open
    // for writing would never let its reader see the end.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        if (S_ISDIR(named.st_mode)) throw errnoError(EISDIR, Action::kOpen, path);
        return;
    }
    for (;;) {
        UniqueFd fd = openForLock(path);
        if (!fd) throw errnoError(errno, Action::kOpen, path);
        struct stat held {};
        // It changed into something else meanwhile.
        if (::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) return;
        if (!tryLock(fd, path)) throw Error::locked(path);
        // The holder before us may have saved a new version under the name meanwhile: the claim
        // must be on the file the name now gives.
        if (sameFile(fd.get(), path)) {
            file_ = std::move(fd);
            return;
        }
    }
}

FileLock::FileLock(const fs::path& path, const FileLock& held) {
    // A second descriptor of the same open file description shares its lock.
    if (held.file_ && sameFile(held.file_.get(), path)) {
        file_.reset(::fcntl(held.file_.get(), F_DUPFD_CLOEXEC, 0));
        if (file_) return;
    }
    *this = FileLock(path);
}

}  // namespace storage
