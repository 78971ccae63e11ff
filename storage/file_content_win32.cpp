#include <windows.h>

#include <algorithm>
#include <new>
#include <optional>

#include "storage/file_content.h"
#include "storage/file_stamp_win32.h"
#include "storage/system_error_win32.h"
#include "storage/unique_handle.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// Reads from `file` until end of file or until `content` is full.
std::size_t readInto(HANDLE file, std::string& content, std::size_t done, const fs::path& path) {
    while (done < content.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1U << 30));
        DWORD got = 0;
        if (!ReadFile(file, content.data() + done, chunk, &got, nullptr)) {
            throw lastError(Action::kOpen, path);
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
    constexpr std::uint64_t kUnknown = std::uint64_t{1} << 30;
    if (!GlobalMemoryStatusEx(&memory)) return kUnknown;
    const std::uint64_t smaller =
        std::min<std::uint64_t>(memory.ullTotalPhys, memory.ullTotalVirtual);
    // Wine under load now and then reports no memory at all: that says nothing of this machine.
    return smaller == 0 ? kUnknown : smaller / 2;
}

namespace {

// The whole file, and in `opened` how it was as it was opened.
std::string readStamped(const fs::path& path, const HeadCheck& checkHead,
                        std::optional<FileStamp>& opened) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw folderError(path);
    }
    const UniqueHandle file =
        ownHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw lastError(Action::kOpen, path);
    FileStamp stamp;
    if (stampOf(file.get(), stamp)) opened = stamp;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throw lastError(Action::kOpen, path);
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    const std::uint64_t limit = largestReadableFile();
    if (bytes > limit) throw Error::tooLarge(path, bytes, limit);
    std::string content;
    try {
        // The first bytes decide, before the file's size in memory is taken.
        content.resize(static_cast<std::size_t>(
            checkHead ? std::min<std::uint64_t>(bytes, kHeadSize) : bytes));
        std::size_t done = readInto(file.get(), content, 0, path);
        if (checkHead) {
            checkHead(std::string_view(content).substr(0, done));
            content.resize(std::max(static_cast<std::size_t>(bytes), done));
            done = readInto(file.get(), content, done, path);
        }
        content.resize(done);
    } catch (const std::bad_alloc&) {
        throw Error::system(ERROR_NOT_ENOUGH_MEMORY, Action::kOpen, path);
    }
    return content;
}

}  // namespace

std::string readWholeFile(const fs::path& path, const HeadCheck& checkHead) {
    std::optional<FileStamp> unused;
    return readStamped(path, checkHead, unused);
}

std::string readHead(const fs::path& path) {
    const UniqueHandle file = ownHandle(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) throw lastError(Action::kOpen, path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) throw lastError(Action::kOpen, path);
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        GetFileType(file.get()) != FILE_TYPE_DISK) {
        throw Error::notRegularFile(path);
    }
    std::string head(kHeadSize, '\0');
    head.resize(readInto(file.get(), head, 0, path));
    return head;
}

// Windows refuses to shorten a file while a view of it is mapped (ERROR_USER_MAPPED_FILE): another
// program saving a file open here would fail. Files are read, which leaves them free.
FileContent readFileContent(const fs::path& path, const HeadCheck& checkHead) {
    std::optional<FileStamp> opened;
    std::string bytes = readStamped(path, checkHead, opened);
    return FileContent(std::move(bytes), opened);
}

}  // namespace storage
