#include "dxf/platform_file.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "dxf/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#endif

namespace dxf::platform {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

constexpr DWORD kDirectoryNotSupported = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED

[[noreturn]] void fail(FileAction action, const fs::path& path) {
    throw systemError(GetLastError(), action, path);
}

fs::path backupTempName(const fs::path& temp) { return fs::path(temp.native() + L".bak"); }

}  // namespace

std::string readWholeFile(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw systemError(kDirectoryNotSupported, FileAction::kOpen, path);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail(FileAction::kOpen, path);
    LARGE_INTEGER size{};
    std::string content;
    try {
        if (!GetFileSizeEx(file, &size)) fail(FileAction::kOpen, path);
        content.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < content.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1U << 30));
            DWORD got = 0;
            if (!ReadFile(file, content.data() + done, chunk, &got, nullptr)) {
                fail(FileAction::kOpen, path);
            }
            if (got == 0) break;
            done += got;
        }
        content.resize(done);
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
    return content;
}

bool isRegularFile(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void exchangeFiles(const fs::path& first, const fs::path& second) {
    // Windows has no exchange of two names; the drawing's lock keeps other savers out meanwhile.
    wchar_t name[MAX_PATH];
    const fs::path folder = first.has_parent_path() ? first.parent_path() : fs::path(L".");
    if (GetTempFileNameW(folder.c_str(), L"zdr", 0, name) == 0) fail(FileAction::kSave, first);
    const fs::path parked = name;
    if (!MoveFileExW(first.c_str(), parked.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = GetLastError();
        DeleteFileW(parked.c_str());
        throw systemError(code, FileAction::kSave, first);
    }
    if (!MoveFileExW(second.c_str(), first.c_str(), 0)) {
        const DWORD code = GetLastError();
        MoveFileExW(parked.c_str(), first.c_str(), 0);
        throw systemError(code, FileAction::kSave, first);
    }
    if (!MoveFileExW(parked.c_str(), second.c_str(), MOVEFILE_WRITE_THROUGH)) {
        fail(FileAction::kSave, second);
    }
}

ReplacementFile::ReplacementFile(fs::path target) : target_(std::move(target)) {
    wchar_t name[MAX_PATH];
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(L".");
    if (GetTempFileNameW(folder.c_str(), L"zdr", 0, name) == 0) fail(FileAction::kSave, target_);
    temp_ = name;
    handle_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        handle_ = nullptr;
        const DWORD code = GetLastError();
        DeleteFileW(temp_.c_str());
        throw systemError(code, FileAction::kSave, target_);
    }
}

ReplacementFile::~ReplacementFile() {
    if (handle_ != nullptr) CloseHandle(handle_);
    if (!committed_) DeleteFileW(temp_.c_str());
}

void ReplacementFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) {
            fail(FileAction::kSave, target_);
        }
        bytes.remove_prefix(written);
    }
}

void ReplacementFile::commit(const fs::path& backup) {
    if (!FlushFileBuffers(handle_)) fail(FileAction::kSave, target_);
    CloseHandle(handle_);
    handle_ = nullptr;
    if (GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The drawing's file is gone: the new version simply takes its name.
        if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            fail(FileAction::kSave, target_);
        }
    } else {
        // ReplaceFile keeps the target's attributes and access rights and moves the old version
        // to the backup name; an older backup has to go first.
        const fs::path oldBackup = backupTempName(temp_);
        const bool hadBackup = MoveFileExW(backup.c_str(), oldBackup.c_str(), 0) != 0;
        if (!ReplaceFileW(target_.c_str(), temp_.c_str(), backup.c_str(),
                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            const DWORD code = GetLastError();
            if (hadBackup) MoveFileExW(oldBackup.c_str(), backup.c_str(), 0);
            throw systemError(code, FileAction::kSave, target_);
        }
        if (hadBackup) DeleteFileW(oldBackup.c_str());
    }
    committed_ = true;
}

#else

namespace {

// The Windows error code that the same cause gives there, so both platforms number it alike.
std::uint32_t win32CodeOf(int err, FileAction action, const fs::path& path) {
    switch (err) {
        case ENOENT: {
            // Windows tells a missing folder from a missing file.
            struct stat folder {};
            const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
            return ::stat(parent.c_str(), &folder) == 0 ? 2 : 3;
        }
        case ENOTDIR:
            return 3;
        case EACCES:
        case EPERM:
            return 5;
        case EISDIR:
            return 336;
        case ELOOP:
        case EINVAL:
            return 123;
        case ENAMETOOLONG:
            return 206;
        case EMFILE:
        case ENFILE:
            return 4;
        case ENOMEM:
            return 14;
        case EROFS:
            return 19;
        case EBUSY:
        case ETXTBSY:
            return 32;
        case ENOSPC:
        case EDQUOT:
            return 112;
        case EFBIG:
            return 223;
        case EIO:
            return action == FileAction::kOpen ? 30 : 29;
        default:
            return 31;
    }
}

[[noreturn]] void fail(int err, FileAction action, const fs::path& path) {
    throw errnoError(err, action, path);
}

void closeQuietly(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Reads from `fd` until end of file or until `content` is full.
std::size_t readInto(int fd, std::string& content, std::size_t done, const fs::path& path) {
    while (done < content.size()) {
        const ssize_t got = ::read(fd, content.data() + done, content.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(errno, FileAction::kOpen, path);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Asks for large pages for a big buffer before it is first touched: a drawing of hundreds of MB
// in 4 KB pages costs tens of thousands of page faults, a noticeable part of opening it.
void preferLargePages(std::string& buffer, std::size_t size) {
    constexpr std::uintptr_t kLargePage = 2U << 20;
    if (size < 4 * kLargePage) return;
    buffer.reserve(size);
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
#ifdef MADV_HUGEPAGE
    // Only advice: where large pages are not to be had, the buffer works as it is.
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void writeAll(int fd, std::string_view bytes, const fs::path& target) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) fail(errno, FileAction::kSave, target);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A new file in `folder` named after `stem`, open for writing and readable only by its owner
// until its permissions are set.
int createUnique(const fs::path& stem, fs::path& created) {
    std::string name = stem.native() + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) created = name;
    return fd;
}

void syncFolder(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: some file systems cannot sync a folder
    ::close(fd);
}

// Keeps the current `target` as `backup`: a second name for the same file where the file system
// allows it, a copy otherwise. The backup appears at once, complete.
void keepBackup(const fs::path& target, const fs::path& backup, const fs::path& temp) {
    const fs::path linkName = temp.native() + ".bak";
    if (::link(target.c_str(), linkName.c_str()) == 0) {
        if (::rename(linkName.c_str(), backup.c_str()) != 0) {
            const int err = errno;
            ::unlink(linkName.c_str());
            fail(err, FileAction::kSave, backup);
        }
        return;
    }
    if (errno == ENOENT) return;  // the drawing's file is gone: there is no previous version
    std::string previous = readWholeFile(target);
    fs::path copy;
    int fd = createUnique(temp.native() + ".bak", copy);
    if (fd < 0) fail(errno, FileAction::kSave, backup);
    try {
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
        writeAll(fd, previous, backup);
        if (::fsync(fd) != 0) fail(errno, FileAction::kSave, backup);
        const int closed = ::close(fd);
        fd = -1;
        if (closed != 0) fail(errno, FileAction::kSave, backup);
        if (::rename(copy.c_str(), backup.c_str()) != 0) fail(errno, FileAction::kSave, backup);
    } catch (...) {
        closeQuietly(fd);
        ::unlink(copy.c_str());
        throw;
    }
}

}  // namespace

Error errnoError(int err, FileAction action, const fs::path& path) {
    return systemError(win32CodeOf(err, action, path), action, path);
}

std::string readWholeFile(const fs::path& path) {
    // Without O_NONBLOCK, opening a FIFO that no one writes to would wait forever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fail(errno, FileAction::kOpen, path);
    std::string content;
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0) fail(errno, FileAction::kOpen, path);
        if (S_ISDIR(st.st_mode)) fail(EISDIR, FileAction::kOpen, path);
        // A device such as /dev/zero never ends; reading it would only exhaust memory.
        if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) throw notDxfError(path, false, false);
        // A FIFO is read blocking again: it ends when its writers are done (at once when it
        // has none).
        if (S_ISFIFO(st.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            fail(errno, FileAction::kOpen, path);
        }
        // A regular file is read in one go; anything else (a pipe) grows as it comes.
        if (S_ISREG(st.st_mode)) preferLargePages(content, static_cast<std::size_t>(st.st_size));
        content.resize(S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 1U << 16);
        std::size_t done = readInto(fd, content, 0, path);
        while (done == content.size() && !S_ISREG(st.st_mode)) {
            content.resize(content.size() * 2);
            done = readInto(fd, content, done, path);
        }
        content.resize(done);
    } catch (const std::bad_alloc&) {
        closeQuietly(fd);
        fail(ENOMEM, FileAction::kOpen, path);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
    closeQuietly(fd);
    return content;
}

bool isRegularFile(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void exchangeFiles(const fs::path& first, const fs::path& second) {
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0) {
        syncFolder(first);
        return;
    }
    // A file system without the exchange (some network ones) gets the three renames below.
    if (errno != EINVAL && errno != ENOSYS) fail(errno, FileAction::kSave, first);
#endif
    const fs::path folder = first.has_parent_path() ? first.parent_path() : fs::path(".");
    fs::path parked;
    const int fd = createUnique(folder / ".zdr", parked);
    if (fd < 0) fail(errno, FileAction::kSave, first);
    ::close(fd);
    if (::rename(first.c_str(), parked.c_str()) != 0) {
        const int err = errno;
        ::unlink(parked.c_str());
        fail(err, FileAction::kSave, first);
    }
    if (::rename(second.c_str(), first.c_str()) != 0) {
        const int err = errno;
        ::rename(parked.c_str(), first.c_str());
        fail(err, FileAction::kSave, first);
    }
    if (::rename(parked.c_str(), second.c_str()) != 0) fail(errno, FileAction::kSave, second);
    syncFolder(first);
}

ReplacementFile::ReplacementFile(fs::path target) : target_(std::move(target)) {
    // A drawing the user may not write (read-only, immutable, on a read-only disk) stays as it
    // is, as on Windows, even where the folder would let a new version take its name.
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        fail(errno, FileAction::kSave, target_);
    }
    fd_ = createUnique(target_.native() + ".zandrel", temp_);
    if (fd_ < 0) fail(errno, FileAction::kSave, target_);
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        // Owner first (only a privileged process can give it away), then the mode bits, which a
        // change of owner may clear.
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Not permitted for an ordinary user: the new version then belongs to them.
        }
        ::fchmod(fd_, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
}

ReplacementFile::~ReplacementFile() {
    closeQuietly(fd_);
    if (!committed_) ::unlink(temp_.c_str());
}

void ReplacementFile::write(std::string_view bytes) { writeAll(fd_, bytes, target_); }

void ReplacementFile::commit(const fs::path& backup) {
    if (::fsync(fd_) != 0) fail(errno, FileAction::kSave, target_);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail(errno, FileAction::kSave, target_);
    keepBackup(target_, backup, temp_);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno, FileAction::kSave, target_);
    committed_ = true;
    syncFolder(target_);
}

#endif

}  // namespace dxf::platform
