#include <windows.h>

#include "storage/file_lock.h"
#include "storage/system_error_win32.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// The lock covers one byte at the far end of the offset space, past any file's content: it
// excludes other lockers without stopping anyone from reading the file.
constexpr DWORD kLockedOffsetHigh = 0xFFFFFFFFU;
constexpr DWORD kLockedOffsetLow = 0xFFFFFFFEU;

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

UniqueHandle openShared(const fs::path& path) {
    // Every kind of sharing, so that a save can still move the file to its backup name.
    return ownHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool FileLock::tryLock(const OpenFile& file, const fs::path& path) {
    OVERLAPPED at{};
    at.Offset = kLockedOffsetLow;
    at.OffsetHigh = kLockedOffsetHigh;
    if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        return true;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return false;
    // A file system without byte-range locks (some network shares) edits unlocked, as before.
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION) return true;
    throw Error::system(code, Action::kOpen, path);
}

FileLock::FileLock(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw folderError(path);
    }
    for (;;) {
        UniqueHandle file = openShared(path);
        if (!file) throw lastError(Action::kOpen, path);
        if (!tryLock(file, path)) throw Error::locked(path);
        // The holder before us may have saved a new version under the name meanwhile: the claim
        // must be on the file the name now gives.
        const UniqueHandle current = openShared(path);
        if (current && sameFile(file.get(), current.get())) {
            file_ = std::move(file);
            return;
        }
    }
}

FileLock::FileLock(const fs::path& path, const FileLock& held) {
    const UniqueHandle current = held.file_ ? openShared(path) : UniqueHandle();
    // A second handle on the same open file shares its lock.
    HANDLE duplicate = nullptr;
    if (current && sameFile(held.file_.get(), current.get()) &&
        DuplicateHandle(GetCurrentProcess(), held.file_.get(), GetCurrentProcess(), &duplicate, 0,
                        FALSE, DUPLICATE_SAME_ACCESS)) {
        file_.reset(duplicate);
        return;
    }
    *this = FileLock(path);
}

}  // namespace storage
