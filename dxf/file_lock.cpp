#include "dxf/file_lock.h"

#include <utility>

#include "dxf/error.h"
#include "dxf/platform_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace dxf::platform {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// The lock covers one byte at the far end of the offset space, past any drawing's content: it
// excludes other lockers without stopping anyone from reading the drawing.
constexpr DWORD kLockedOffsetHigh = 0xFFFFFFFFU;
constexpr DWORD kLockedOffsetLow = 0xFFFFFFFEU;

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

HANDLE openShared(const fs::path& path) {
    // Every kind of sharing, so that the save can still move the file to its backup name.
    return CreateFileW(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool FileLock::tryLock(Handle handle, const fs::path& path) {
    OVERLAPPED at{};
    at.Offset = kLockedOffsetLow;
    at.OffsetHigh = kLockedOffsetHigh;
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        return true;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return false;
    // A file system without byte-range locks (some network shares) edits unlocked, as before.
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION) return true;
    throw systemError(code, FileAction::kOpen, path);
}

FileLock::FileLock(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw folderError(path);
    }
    for (;;) {
        HANDLE file = openShared(path);
        if (file == INVALID_HANDLE_VALUE)
            throw systemError(GetLastError(), FileAction::kOpen, path);
        if (!tryLock(file, path)) {
            CloseHandle(file);
            throw lockedError(path);
        }
        // The holder before us may have saved a new version under the name meanwhile: the claim
        // must be on the file the name now gives.
        HANDLE current = openShared(path);
        const bool same = current != INVALID_HANDLE_VALUE && sameFile(file, current);
        if (current != INVALID_HANDLE_VALUE) CloseHandle(current);
        if (same) {
            handle_ = file;
            return;
        }
        CloseHandle(file);
    }
}

FileLock::FileLock(const fs::path& path, const FileLock& held) {
    HANDLE current = held.handle_ != kNone ? openShared(path) : INVALID_HANDLE_VALUE;
    const bool same = current != INVALID_HANDLE_VALUE && sameFile(held.handle_, current);
    if (current != INVALID_HANDLE_VALUE) CloseHandle(current);
    // A second handle on the same open file shares its lock.
    if (!same || !DuplicateHandle(GetCurrentProcess(), held.handle_, GetCurrentProcess(), &handle_,
                                  0, FALSE, DUPLICATE_SAME_ACCESS)) {
        handle_ = kNone;
        *this = FileLock(path);
    }
}

void FileLock::release() {
    if (handle_ != kNone) CloseHandle(handle_);  // closing ends the lock
    handle_ = kNone;
}

#else

namespace {

bool sameFile(int fd, const fs::path& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Write access where the user has it; a drawing that cannot be written is claimed for reading,
// which still keeps a second run from editing it.
int openForLock(const fs::path& path) {
    const int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    const int fd = ::open(path.c_str(), O_RDWR | flags);
    if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS && errno != ETXTBSY)) {
        return fd;
    }
    return ::open(path.c_str(), O_RDONLY | flags);
}

}  // namespace

bool FileLock::tryLock(Handle handle, const fs::path& path) {
    const int mode = ::fcntl(handle, F_GETFL);
    if (mode < 0) throw errnoError(errno, FileAction::kOpen, path);
    // An open-file-description lock belongs to this descriptor, not to the process: it conflicts
    // with every other open of the file, in this process too, and ends when the descriptor closes.
    struct flock claim {};
    claim.l_type = (mode & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
    claim.l_whence = SEEK_SET;
    if (::fcntl(handle, F_OFD_SETLK, &claim) == 0) return true;
    if (errno == EAGAIN || errno == EACCES) return false;
    // A file system without locks (some network shares) edits unlocked, as before.
    if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP) return true;
    throw errnoError(errno, FileAction::kOpen, path);
}

FileLock::FileLock(const fs::path& path) {
    // Only a regular file is ever saved. Anything else is not even opened here: a FIFO held open
    // for writing would never let its reader see the end.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        if (S_ISDIR(named.st_mode)) throw folderError(path);
        return;
    }
    for (;;) {
        const int fd = openForLock(path);
        if (fd < 0) throw errnoError(errno, FileAction::kOpen, path);
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);  // it changed into something else meanwhile
            return;
        }
        if (!tryLock(fd, path)) {
            ::close(fd);
            throw lockedError(path);
        }
        // The holder before us may have saved a new version under the name meanwhile: the claim
        // must be on the file the name now gives.
        if (sameFile(fd, path)) {
            handle_ = fd;
            return;
        }
        ::close(fd);
    }
}

FileLock::FileLock(const fs::path& path, const FileLock& held) {
    // A second descriptor of the same open file description shares its lock.
    if (held.handle_ != kNone && sameFile(held.handle_, path)) {
        handle_ = ::fcntl(held.handle_, F_DUPFD_CLOEXEC, 0);
        if (handle_ >= 0) return;
    }
    *this = FileLock(path);
}

void FileLock::release() {
    if (handle_ != kNone) ::close(handle_);  // closing ends the lock
    handle_ = kNone;
}

#endif

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
}

void FileLock::adopt(Handle handle) {
    release();
    handle_ = handle;
}

}  // namespace dxf::platform
