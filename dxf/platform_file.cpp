#include "dxf/platform_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <utility>

#include "dxf/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <stdio.h>  // renameat2
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dxf/bus_error_guard.h"
#endif

namespace dxf::platform {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

[[noreturn]] void fail(FileAction action, const fs::path& path) {
    throw systemError(GetLastError(), action, path);
}

fs::path backupTempName(const fs::path& temp) { return fs::path(temp.native() + L".bak"); }

// Reads from `file` until end of file or until `content` is full.
std::size_t readInto(HANDLE file, std::string& content, std::size_t done, const fs::path& path) {
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
    return done;
}

}  // namespace

std::uint64_t largestReadableFile() {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    if (!GlobalMemoryStatusEx(&memory)) return std::uint64_t{1} << 30;
    return std::min<std::uint64_t>(memory.ullTotalPhys, memory.ullTotalVirtual) / 2;
}

std::string readWholeFile(const fs::path& path, const HeadCheck& checkHead) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw folderError(path);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail(FileAction::kOpen, path);
    LARGE_INTEGER size{};
    std::string content;
    try {
        if (!GetFileSizeEx(file, &size)) fail(FileAction::kOpen, path);
        const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
        const std::uint64_t limit = largestReadableFile();
        if (bytes > limit) throw tooLargeError(path, bytes, limit);
        // The first bytes decide, before the file's size in memory is taken.
        content.resize(static_cast<std::size_t>(
            checkHead ? std::min<std::uint64_t>(bytes, kHeadSize) : bytes));
        std::size_t done = readInto(file, content, 0, path);
        if (checkHead) {
            checkHead(std::string_view(content).substr(0, done));
            content.resize(std::max(static_cast<std::size_t>(bytes), done));
            done = readInto(file, content, done, path);
        }
        content.resize(done);
    } catch (const std::bad_alloc&) {
        CloseHandle(file);
        throw systemError(ERROR_NOT_ENOUGH_MEMORY, FileAction::kOpen, path);
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
    return content;
}

std::optional<FileIdentity> identityOf(const fs::path& path) {
    // No access is asked for: only the file's numbers are read, even from a folder.
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Windows folders ignore letter case unless a folder has been made case-sensitive, which takes
// an administrator's command; treating names as one then only refuses, never loses.
bool foldsCase(const fs::path&) { return true; }

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

// Temporary files here have random names (GetTempFileName) and are removed as the save ends.
void removeLeftoversOf(const fs::path&) {}

ReplacementFile::ReplacementFile(fs::path target, FileLock& lock)
    : target_(std::move(target)), lock_(lock) {
    // A drawing with the read-only attribute stays as it is, as CAD applications open it.
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw readOnlyError(target_);
    }
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
    // The claim stayed with the old version, now the backup: claim the new one, unless another
    // program was quicker.
    try {
        lock_ = FileLock(target_);
    } catch (const Error&) {
        lock_ = FileLock();
    }
}

struct FileContent::Mapping {
    const char* data = nullptr;
    std::size_t size = 0;
};

// Windows refuses to shorten a file while a view of it is mapped (ERROR_USER_MAPPED_FILE): another
// program saving a drawing open here would fail. Drawings are read, which leaves the file free.
FileContent readFileContent(const fs::path& path, const HeadCheck& checkHead) {
    return FileContent(readWholeFile(path, checkHead));
}

bool FileContent::changedSinceOpened() const { return changed_; }

void FileContent::release() {}

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

// Grows `buffer` to `size` bytes taking exactly that much: a string's own growth may take twice
// its capacity, which near the limit is more than the machine has.
void growExactly(std::string& buffer, std::size_t size) {
    std::string grown(size, '\0');
    std::copy(buffer.begin(), buffer.end(), grown.begin());
    buffer.swap(grown);
}

void writeAll(int fd, std::string_view bytes, const fs::path& target) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) fail(errno, FileAction::kSave, target);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Copies the whole content of `from` to `to`, both at their start; the kernel copies without a
// detour through memory where it can.
void copyContent(int from, int to, const fs::path& target) {
    loff_t in = 0;
    loff_t out = 0;
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, &in, to, &out, 1U << 30, 0);
        if (copied == 0) return;
        if (copied > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            fail(errno, FileAction::kSave, target);
        }
        break;
    }
    std::string buffer(1U << 20, '\0');
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), in);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(errno, FileAction::kSave, target);
        if (got == 0) return;
        in += got;
        for (std::string_view rest(buffer.data(), static_cast<std::size_t>(got)); !rest.empty();) {
            const ssize_t put = ::pwrite(to, rest.data(), rest.size(), out);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) fail(errno, FileAction::kSave, target);
            rest.remove_prefix(static_cast<std::size_t>(put));
            out += put;
        }
    }
}

// The names of the extended attributes of `path` (access lists included), or of `fd` when
// `fd` >= 0. None where the file system has none.
std::vector<std::string> attributeNames(const fs::path& path, int fd) {
    for (;;) {
        const ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.c_str(), nullptr, 0);
        if (size <= 0) return {};
        std::string list(static_cast<std::size_t>(size), '\0');
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, list.data(), list.size())
                                    : ::listxattr(path.c_str(), list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue;  // an attribute was added meanwhile
        if (got < 0) return {};
        std::vector<std::string> names;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::size_t end = list.find('\0', at);
            names.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        return names;
    }
}

// The value of the extended attribute `name` of `path`, or of `fd` when `fd` >= 0. On failure it
// is empty and errno is set; on success errno is 0.
std::string attributeValue(const fs::path& path, int fd, const std::string& name) {
    for (;;) {
        const auto get = [&](void* buffer, std::size_t size) {
            return fd >= 0 ? ::fgetxattr(fd, name.c_str(), buffer, size)
                           : ::getxattr(path.c_str(), name.c_str(), buffer, size);
        };
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return {};
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t got = get(value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;  // it grew meanwhile
        if (got < 0) return {};
        value.resize(static_cast<std::size_t>(got));
        errno = 0;
        return value;
    }
}

// Gives `fd` exactly the extended attributes of `path`; false where any cannot be read or set.
bool copyAttributes(const fs::path& path, int fd) {
    const std::vector<std::string> wanted = attributeNames(path, -1);
    for (const std::string& name : attributeNames({}, fd)) {
        // A new file may inherit attributes the drawing does not have (a folder's default
        // access list).
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(fd, name.c_str()) != 0) {
            return false;
        }
    }
    for (const std::string& name : wanted) {
        const std::string value = attributeValue(path, -1, name);
        if (value.empty() && errno != 0) return false;
        // One the new file already has (a security label given on creation) is left alone:
        // setting even the same label may need a privilege.
        if (attributeValue({}, fd, name) == value && errno == 0) continue;
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

// The names of our temporary files for the drawing named `name`: short whatever its length,
// the same in every run. They start with a dot, as hidden files do.
std::string temporaryName(const std::string& name, const char* role) {
    const std::uint64_t hash =  // FNV-1a
        std::accumulate(name.begin(), name.end(), 14695981039346656037ULL,
                        [](std::uint64_t h, char c) {
                            return (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
                        });
    char text[48];
    std::snprintf(text, sizeof text, ".~zandrel-%016llx.%s", static_cast<unsigned long long>(hash),
                  role);
    return text;
}

// Removes a temporary file of ours that a killed run left behind.
void removeStale(int folder, const std::string& name) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
        ::unlinkat(folder, name.c_str(), 0);
    }
}

// Whether the files of /proc/self/fd can be linked to a name, as a file made with O_TMPFILE
// has to be.
bool canNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// Best effort: some file systems cannot sync a folder.
void syncFolderOf(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

Error errnoError(int err, FileAction action, const fs::path& path) {
    return systemError(win32CodeOf(err, action, path), action, path);
}

std::uint64_t largestReadableFile() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::uint64_t limit = pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) *
                                                          static_cast<std::uint64_t>(pageSize) / 2
                                                    : std::uint64_t{1} << 30;
    struct rlimit space {};
    if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
        limit = std::min<std::uint64_t>(limit, space.rlim_cur / 2);
    }
    return std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() / 2);
}

namespace {

// Opens `path` for reading and refuses what is no file to read: a folder, a device.
int openForReading(const fs::path& path, struct stat& st) {
    // Without O_NONBLOCK, opening a FIFO that no one writes to would wait forever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fail(errno, FileAction::kOpen, path);
    try {
        if (::fstat(fd, &st) != 0) fail(errno, FileAction::kOpen, path);
        if (S_ISDIR(st.st_mode)) fail(EISDIR, FileAction::kOpen, path);
        // A device such as /dev/zero never ends; reading it would only exhaust memory.
        if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) throw notDxfError(path, false, false);
        // A FIFO is read blocking again: it ends when its writers are done (at once when it
        // has none).
        if (S_ISFIFO(st.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            fail(errno, FileAction::kOpen, path);
        }
        const std::uint64_t limit = largestReadableFile();
        const auto size = static_cast<std::uint64_t>(st.st_size);
        if (S_ISREG(st.st_mode) && size > limit) throw tooLargeError(path, size, limit);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
    return fd;
}

std::string readOpened(int fd, const struct stat& st, const fs::path& path,
                       const HeadCheck& checkHead) {
    std::string content;
    try {
        const bool regular = S_ISREG(st.st_mode);
        const std::uint64_t limit = largestReadableFile();

        // The first bytes decide, before the file's size in memory is taken.
        std::string head(kHeadSize, '\0');
        head.resize(readInto(fd, head, 0, path));
        if (checkHead) checkHead(head);

        // A regular file is read in one go; a pipe grows as it comes, up to the limit.
        const std::size_t expected = regular ? static_cast<std::size_t>(st.st_size) : 1U << 16;
        if (regular) preferLargePages(content, expected);
        content.resize(std::max(expected, head.size()));
        std::copy(head.begin(), head.end(), content.begin());
        std::size_t done = readInto(fd, content, head.size(), path);
        while (!regular && done == content.size()) {
            if (content.size() >= limit) {
                std::string more(1, '\0');
                if (readInto(fd, more, 0, path) != 0) throw tooLargeError(path, limit + 1, limit);
                break;
            }
            growExactly(content, static_cast<std::size_t>(std::min<std::uint64_t>(
                                     std::uint64_t{content.size()} * 2, limit)));
            done = readInto(fd, content, done, path);
        }
        content.resize(done);
    } catch (const std::bad_alloc&) {
        fail(ENOMEM, FileAction::kOpen, path);
    }
    return content;
}

// Smaller files are read: copying a few hundred kilobytes costs less than mapping them.
constexpr std::uint64_t kMappedFrom = 1U << 20;

// File systems whose pages change only when this machine writes the file, which then also sets a
// new modification time. A network file system may read evicted pages again from a server that
// another machine has written to, before the time this machine sees has changed.
bool isLocalFileSystem(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case F2FS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

bool sameContent(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

struct FileContent::Mapping {
    const char* data = nullptr;
    std::size_t size = 0;
    int fd = -1;  // kept open to tell whether the file changes
    struct stat opened {};
    int guard = -1;
};

std::string readWholeFile(const fs::path& path, const HeadCheck& checkHead) {
    struct stat st {};
    int fd = openForReading(path, st);
    std::string content;
    try {
        content = readOpened(fd, st, path, checkHead);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
    closeQuietly(fd);
    return content;
}

FileContent readFileContent(const fs::path& path, const HeadCheck& checkHead) {
    struct stat st {};
    int fd = openForReading(path, st);
    try {
        const auto size = static_cast<std::size_t>(st.st_size);
        if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(size) >= kMappedFrom &&
            isLocalFileSystem(fd)) {
            std::string head(kHeadSize, '\0');
            if (checkHead) {
                const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
                if (got < 0) fail(errno, FileAction::kOpen, path);
                head.resize(static_cast<std::size_t>(got));
                checkHead(head);
            }
            // Not populated here: the reader maps pages as it goes, partly on another thread.
            void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            const int guard = data != MAP_FAILED ? guardMapping(data, size) : -1;
            if (guard >= 0) {
                FileContent content;
                content.mapping_ =
                    new FileContent::Mapping{static_cast<const char*>(data), size, fd, st, guard};
                return content;
            }
            // Where the file cannot be mapped and guarded, it is read.
            if (data != MAP_FAILED) ::munmap(data, size);
        }
        FileContent content(readOpened(fd, st, path, checkHead));
        closeQuietly(fd);
        return content;
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
}

bool FileContent::changedSinceOpened() const {
    if (mapping_ != nullptr && !changed_) {
        struct stat now {};
        changed_ = mappingTorn(mapping_->guard) || ::fstat(mapping_->fd, &now) != 0 ||
                   !sameContent(now, mapping_->opened);
    }
    return changed_;
}

void FileContent::release() {
    if (mapping_ == nullptr) return;
    unguardMapping(mapping_->guard);
    ::munmap(const_cast<char*>(mapping_->data), mapping_->size);
    ::close(mapping_->fd);
    delete mapping_;
    mapping_ = nullptr;
}

namespace {

std::optional<FileIdentity> identityFrom(int result, const struct stat& st) {
    if (result != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

// The folder entry itself, not what a link in it points to.
std::optional<FileIdentity> entryIdentityOf(const fs::path& path) {
    struct stat st {};
    return identityFrom(::lstat(path.c_str(), &st), st);
}

std::string withOtherCase(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

}  // namespace

std::optional<FileIdentity> identityOf(const fs::path& path) {
    struct stat st {};
    return identityFrom(::stat(path.c_str(), &st), st);
}

bool foldsCase(const fs::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return true;
    std::optional<bool> folds;
    while (!folds) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        const std::string name = entry->d_name;
        const std::string other = withOtherCase(name);
        if (other == name) continue;
        const auto self = entryIdentityOf(folder / name);
        if (!self) continue;
        const auto twin = entryIdentityOf(folder / other);
        folds = twin && twin->device == self->device && twin->index == self->index;
    }
    ::closedir(dir);
    return folds.value_or(true);
}

bool isRegularFile(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void exchangeFiles(const fs::path& first, const fs::path& second) {
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0) {
        syncFolderOf(first);
        return;
    }
    // A file system without the exchange (some network ones) gets the three renames below.
    if (errno != EINVAL && errno != ENOSYS) fail(errno, FileAction::kSave, first);
#endif
    const fs::path folder = first.has_parent_path() ? first.parent_path() : fs::path(".");
    const fs::path parked = folder / temporaryName(first.filename().native(), "swap");
    // What a killed swap left there is the drawing's version that the backup also holds.
    ::unlink(parked.c_str());
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
    syncFolderOf(first);
}

void removeLeftoversOf(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    removeStale(fd, temporaryName(target.filename().native(), "new"));
    removeStale(fd, temporaryName(target.filename().native(), "old"));
    ::close(fd);
}

ReplacementFile::ReplacementFile(fs::path target, FileLock& lock)
    : target_(std::move(target)), lock_(lock) {
    name_ = target_.filename().native();
    tempNew_ = temporaryName(name_, "new");
    tempOld_ = temporaryName(name_, "old");
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) fail(errno, FileAction::kSave, target_);
    try {
        exists_ = ::fstatat(folder_, name_.c_str(), &current_, 0) == 0;
        if (!exists_ && errno != ENOENT) fail(errno, FileAction::kSave, target_);
        // A drawing no one may write stays as it is, for root too, as CAD applications open such
        // files read-only; one this user may not write (or immutable, on a read-only disk) too,
        // even where the folder would let a new version take its name.
        if (exists_ && (current_.st_mode & 0222) == 0) throw readOnlyError(target_);
        if (exists_ && ::faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0) {
            fail(errno, FileAction::kSave, target_);
        }
        removeStale(folder_, tempNew_);
        removeStale(folder_, tempOld_);
        byCopying_ = exists_ && current_.st_nlink > 1;
        if (!byCopying_) {
            createNewVersion();
            byCopying_ = exists_ && !takeIdentity();
        }
        if (byCopying_) startCopying();
    } catch (...) {
        discard();
        throw;
    }
}

ReplacementFile::~ReplacementFile() { discard(); }

void ReplacementFile::discard() {
    if (!committed_ && overwriting_) restoreInPlace();
    closeQuietly(fd_);
    closeQuietly(oldCopy_);
    if (!committed_ && newNamed_) ::unlinkat(folder_, tempNew_.c_str(), 0);
    if (oldNamed_) ::unlinkat(folder_, tempOld_.c_str(), 0);
    newNamed_ = oldNamed_ = false;
    closeQuietly(folder_);
}

// An empty file in the drawing's folder, without a name where the system allows and named `name`
// otherwise, readable only by its owner until it has the drawing's identity.
int ReplacementFile::createTemporary(const std::string& name, bool& named) {
    if (canNameUnnamedFiles()) {
        const int fd = ::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
    }
    const int fd = ::openat(folder_, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) fail(errno, FileAction::kSave, target_);
    named = true;
    return fd;
}

void ReplacementFile::createNewVersion() {
    closeQuietly(fd_);
    if (newNamed_) ::unlinkat(folder_, tempNew_.c_str(), 0);
    newNamed_ = false;
    fd_ = createTemporary(tempNew_, newNamed_);
    if (!exists_) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
}

// Gives the new version the drawing's owner, group, extended attributes and mode; false when it
// cannot carry all of them.
bool ReplacementFile::takeIdentity() {
    struct stat now {};
    if (::fstat(fd_, &now) != 0) return false;
    // Owner first (only a privileged process can give a file away), then the attributes and the
    // mode bits, which a change of owner may clear.
    if ((now.st_uid != current_.st_uid || now.st_gid != current_.st_gid) &&
        ::fchown(fd_, current_.st_uid, current_.st_gid) != 0) {
        return false;
    }
    if (!copyAttributes(target_, fd_) || ::fchmod(fd_, current_.st_mode & 07777) != 0) return false;
    // The system may clear bits silently (set-group-ID for a group the user is not in).
    return ::fstat(fd_, &now) == 0 && now.st_uid == current_.st_uid &&
           now.st_gid == current_.st_gid && (now.st_mode & 07777) == (current_.st_mode & 07777);
}

// Saving by copying: the current version goes to a copy of ours first, then the drawing's own
// bytes are overwritten as write() is called.
void ReplacementFile::startCopying() {
    closeQuietly(fd_);
    if (newNamed_) ::unlinkat(folder_, tempNew_.c_str(), 0);
    newNamed_ = false;
    oldCopy_ = createTemporary(tempOld_, oldNamed_);
    fd_ = ::openat(folder_, name_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) fail(errno, FileAction::kSave, target_);
    copyContent(fd_, oldCopy_, target_);
    ::fchmod(oldCopy_, current_.st_mode & 0777);
    // The copy is on disk under a name before the first byte of the drawing changes.
    if (::fsync(oldCopy_) != 0) fail(errno, FileAction::kSave, target_);
    if (!oldNamed_) nameTemporary(oldCopy_, tempOld_);
    oldNamed_ = true;
    overwriting_ = true;
}

// Gives the unnamed file `fd` the name `name` in the drawing's folder.
void ReplacementFile::nameTemporary(int fd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        fail(errno, FileAction::kSave, target_);
    }
}

// The current version gets a second name of ours: the same file where the file system allows,
// a copy otherwise.
void ReplacementFile::nameOldVersion() {
    if (::linkat(folder_, name_.c_str(), folder_, tempOld_.c_str(), 0) == 0) {
        oldNamed_ = true;
        return;
    }
    const int source = ::openat(folder_, name_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (source < 0) fail(errno, FileAction::kSave, target_);
    int copy = -1;
    try {
        copy = createTemporary(tempOld_, oldNamed_);
        copyContent(source, copy, target_);
        ::fchmod(copy, current_.st_mode & 0777);
        if (::fsync(copy) != 0) fail(errno, FileAction::kSave, target_);
        if (!oldNamed_) nameTemporary(copy, tempOld_);
        oldNamed_ = true;
    } catch (...) {
        ::close(source);
        closeQuietly(copy);
        throw;
    }
    ::close(source);
    ::close(copy);
}

void ReplacementFile::write(std::string_view bytes) { writeAll(fd_, bytes, target_); }

void ReplacementFile::commit(const fs::path& backup) {
    const std::string backupName = backup.filename().native();
    if (byCopying_) {
        commitInPlace(backupName);
    } else {
        commitNewFile(backupName);
    }
    committed_ = true;
    // Best effort: some file systems cannot sync a folder.
    ::fsync(folder_);
}

void ReplacementFile::commitNewFile(const std::string& backupName) {
    // The new version is on disk before any name leads to it.
    if (::fsync(fd_) != 0) fail(errno, FileAction::kSave, target_);
    // Claimed before it has a name, so that no other run can claim it first.
    FileLock::tryLock(fd_, target_);
    if (exists_) nameOldVersion();
    if (!newNamed_) nameTemporary(fd_, tempNew_);
    newNamed_ = true;
    if (::renameat(folder_, tempNew_.c_str(), folder_, name_.c_str()) != 0) {
        fail(errno, FileAction::kSave, target_);
    }
    newNamed_ = false;
    if (oldNamed_ && ::renameat(folder_, tempOld_.c_str(), folder_, backupName.c_str()) != 0) {
        const int err = errno;
        // The older backup cannot be replaced: the drawing goes back to the version it was.
        ::renameat(folder_, tempOld_.c_str(), folder_, name_.c_str());
        oldNamed_ = false;
        fail(err, FileAction::kSave, target_.parent_path() / backupName);
    }
    oldNamed_ = false;
    lock_.adopt(std::exchange(fd_, -1));
}

void ReplacementFile::commitInPlace(const std::string& backupName) {
    const off_t size = ::lseek(fd_, 0, SEEK_CUR);
    if (size < 0 || ::ftruncate(fd_, size) != 0 || ::fsync(fd_) != 0) {
        fail(errno, FileAction::kSave, target_);
    }
    if (::renameat(folder_, tempOld_.c_str(), folder_, backupName.c_str()) != 0) {
        fail(errno, FileAction::kSave, target_.parent_path() / backupName);
    }
    oldNamed_ = false;
    overwriting_ = false;
}

// Puts the drawing's bytes back from the copy after a failed overwrite.
void ReplacementFile::restoreInPlace() {
    try {
        copyContent(oldCopy_, fd_, target_);
        ::ftruncate(fd_, current_.st_size);
        ::fsync(fd_);
    } catch (const Error&) {
        // The copy stays under its name then: it is the only whole version left.
        oldNamed_ = false;
    }
    overwriting_ = false;
}

#endif

FileContent::FileContent(FileContent&& other) noexcept
    : bytes_(std::move(other.bytes_)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      changed_(other.changed_) {}

FileContent& FileContent::operator=(FileContent&& other) noexcept {
    if (this != &other) {
        release();
        bytes_ = std::move(other.bytes_);
        mapping_ = std::exchange(other.mapping_, nullptr);
        changed_ = other.changed_;
    }
    return *this;
}

FileContent::~FileContent() { release(); }

std::string_view FileContent::view() const {
    return mapping_ != nullptr ? std::string_view(mapping_->data, mapping_->size) : bytes_;
}

void FileContent::detach(const fs::path& path) {
    if (mapping_ == nullptr) return;
    std::string copy;
    try {
        copy.assign(view());
    } catch (const std::bad_alloc&) {
        constexpr std::uint32_t kNotEnoughMemory = 14;  // ERROR_NOT_ENOUGH_MEMORY
        throw systemError(kNotEnoughMemory, FileAction::kSave, path);
    }
    changedSinceOpened();  // judged on the bytes just copied
    release();
    bytes_ = std::move(copy);
}

}  // namespace dxf::platform
