#include "storage/mapped_file_posix.h"

#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/statfs.h>

#include <cstdint>
#include <utility>

#include "storage/bus_error_guard.h"

namespace storage {

namespace {

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

// A read-only private mapping of a whole file, unmapped as it goes.
class MappedRange {
public:
    MappedRange(int fd, std::size_t size) : size_(size) {
        // Not populated here: the reader maps pages as it goes, partly on another thread.
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) data_ = static_cast<const char*>(mapped);
    }
    ~MappedRange() {
        if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
    }
    MappedRange(const MappedRange&) = delete;
    MappedRange& operator=(const MappedRange&) = delete;

    const char* data() const { return data_; }  // nullptr when the file could not be mapped
    std::size_t size() const { return size_; }

private:
    const char* data_ = nullptr;
    std::size_t size_;
};

class PosixMappedFile final : public MappedFile {
public:
    PosixMappedFile(UniqueFd& fd, const struct stat& opened)
        : opened_(opened),
          range_(fd.get(), static_cast<std::size_t>(opened.st_size)),
          guard_(range_.data(), range_.size()) {
        if (mapped()) fd_ = std::move(fd);
    }

    bool mapped() const { return range_.data() != nullptr && guard_.guards(); }

    std::string_view bytes() const override { return {range_.data(), range_.size()}; }

    int descriptor() const { return fd_.get(); }

    bool changedSinceMapped() const override {
        struct stat now {};
        return guard_.torn() || ::fstat(fd_.get(), &now) != 0 || !sameContent(now, opened_);
    }

private:
    UniqueFd fd_;  // kept open to tell whether the file changes
    struct stat opened_;
    MappedRange range_;
    BusErrorGuard guard_;  // declared last so that it ends before the range is unmapped
};

}  // namespace

bool worthMapping(int fd, const struct stat& opened) {
    return S_ISREG(opened.st_mode) && static_cast<std::uint64_t>(opened.st_size) >= kMappedFrom &&
           isLocalFileSystem(fd);
}

std::unique_ptr<MappedFile> mapFile(UniqueFd& fd, const struct stat& opened) {
    auto file = std::make_unique<PosixMappedFile>(fd, opened);
    if (!file->mapped()) return nullptr;
    return file;
}

int descriptorOf(const MappedFile& file) {
    const auto* posix = dynamic_cast<const PosixMappedFile*>(&file);
    return posix != nullptr ? posix->descriptor() : -1;
}

}  // namespace storage
