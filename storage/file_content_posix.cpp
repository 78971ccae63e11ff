#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

#include "storage/descriptor_io_posix.h"
#include "storage/file_content.h"
#include "storage/file_stamp_posix.h"
#include "storage/large_pages.h"
#include "storage/mapped_file_posix.h"
#include "storage/system_error_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// Opens `path` for reading and refuses what is no file to read: a folder, a device.
UniqueFd openForReading(const fs::path& path, struct stat& st) {
    // Without O_NONBLOCK, opening a FIFO that no one writes to would wait forever.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) throw errnoError(errno, Action::kOpen, path);
    if (::fstat(fd.get(), &st) != 0) throw errnoError(errno, Action::kOpen, path);
    if (S_ISDIR(st.st_mode)) throw errnoError(EISDIR, Action::kOpen, path);
    // A device such as /dev/zero never ends; reading it would only exhaust memory.
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) throw Error::notRegularFile(path);
    // A FIFO is read blocking again: it ends when its writers are done (at once when it has none).
    if (S_ISFIFO(st.st_mode) &&
        ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK) != 0) {
        throw errnoError(errno, Action::kOpen, path);
    }
    const std::uint64_t limit = largestReadableFile();
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (S_ISREG(st.st_mode) && size > limit) throw Error::tooLarge(path, size, limit);
    return fd;
}

// Grows `buffer` to `size` bytes taking exactly that much: a string's own growth may take twice
// its capacity, which near the limit is more than the machine has.
void growExactly(std::string& buffer, std::size_t size) {
    std::string grown(size, '\0');
    std::copy(buffer.begin(), buffer.end(), grown.begin());
    buffer.swap(grown);
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
        if (regular) {
            content.reserve(expected);
            preferLargePages(content.data(), expected);
        }
        content.resize(std::max(expected, head.size()));
        std::copy(head.begin(), head.end(), content.begin());
        std::size_t done = readInto(fd, content, head.size(), path);
        while (!regular && done == content.size()) {
            if (content.size() >= limit) {
                std::string more(1, '\0');
                if (readInto(fd, more, 0, path) != 0) throw Error::tooLarge(path, limit + 1, limit);
                break;
            }
            growExactly(content, static_cast<std::size_t>(std::min<std::uint64_t>(
                                     std::uint64_t{content.size()} * 2, limit)));
            done = readInto(fd, content, done, path);
        }
        content.resize(done);
    } catch (const std::bad_alloc&) {
        throw errnoError(ENOMEM, Action::kOpen, path);
    }
    return content;
}

}  // namespace

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

std::string readWholeFile(const fs::path& path, const HeadCheck& checkHead) {
    struct stat st {};
    const UniqueFd fd = openForReading(path, st);
    return readOpened(fd.get(), st, path, checkHead);
}

std::string readHead(const fs::path& path) {
    const UniqueFd fd(
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
    if (!fd && errno == ELOOP) throw Error::notRegularFile(path);
    if (!fd) throw errnoError(errno, Action::kOpen, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw errnoError(errno, Action::kOpen, path);
    if (!S_ISREG(st.st_mode)) throw Error::notRegularFile(path);
    std::string head(kHeadSize, '\0');
    head.resize(readInto(fd.get(), head, 0, path));
    return head;
}

FileContent readFileContent(const fs::path& path, const HeadCheck& checkHead) {
    struct stat st {};
    UniqueFd fd = openForReading(path, st);
    if (worthMapping(fd.get(), st)) {
        if (checkHead) {
            std::string head(kHeadSize, '\0');
            const ssize_t got = ::pread(fd.get(), head.data(), head.size(), 0);
            if (got < 0) throw errnoError(errno, Action::kOpen, path);
            head.resize(static_cast<std::size_t>(got));
            checkHead(head);
        }
        // Where the file cannot be mapped and guarded, it is read.
        if (auto mapping = mapFile(fd, st)) return FileContent(std::move(mapping), stampOf(st));
    }
    // A pipe is no file to save to.
    std::optional<FileStamp> opened;
    if (S_ISREG(st.st_mode)) opened = stampOf(st);
    return FileContent(readOpened(fd.get(), st, path, checkHead), opened);
}

}  // namespace storage
