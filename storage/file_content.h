#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "storage/file_stamp.h"
#include "storage/mapped_file.h"

// Reading a file whole, within what this machine's memory can hold. Failures throw
// storage::Error; a head check may throw whatever its caller catches.
namespace storage {

// How many bytes of a file a HeadCheck sees before the rest is read.
inline constexpr std::size_t kHeadSize = 4096;

// Looks at a file's first bytes (kHeadSize, or fewer when the file is shorter) and throws to
// refuse it before the rest is read.
using HeadCheck = std::function<void(std::string_view head)>;

// The largest file this machine can hold in memory along with the rest of the program: half its
// physical memory, less where the process's address space is limited.
std::uint64_t largestReadableFile();

// The whole content of a regular file or a pipe, read at once. With `checkHead`, the first bytes
// are checked before any more memory is taken; a file larger than largestReadableFile() is
// refused (kTooLarge) before it is read, a pipe as soon as it passes that size; a folder is the
// system's failure, anything else that is no file to read (a device) is kNotRegularFile.
std::string readWholeFile(const std::filesystem::path& path, const HeadCheck& checkHead = {});

// The first bytes (kHeadSize at most) of the regular file `path` itself: a symbolic link there,
// or anything else but a regular file, is kNotRegularFile, and nothing waits on a FIFO.
std::string readHead(const std::filesystem::path& path);

// The bytes of a file as it was opened. A large regular file on a local file system is mapped
// rather than read: the system's file cache then holds its only copy, which spares copying
// hundreds of megabytes and taking as much memory again. A FileLock binds only programs that ask
// for it, so another program may still change a mapped file: changedSinceOpened() tells, and a
// file cut short reads as zeros instead of ending the process.
class FileContent {
public:
    FileContent() = default;
    explicit FileContent(std::string bytes, std::optional<FileStamp> opened = {})
        : bytes_(std::move(bytes)), opened_(opened) {}
    FileContent(std::unique_ptr<MappedFile> mapping, FileStamp opened)
        : mapping_(std::move(mapping)), opened_(opened) {}

    std::string_view view() const { return mapping_ ? mapping_->bytes() : bytes_; }
    bool mapped() const { return mapping_ != nullptr; }
    // The mapping the bytes are read from; none once detached or where they were read.
    const MappedFile* mapping() const { return mapping_.get(); }
    // The file as it was when it was read; none for bytes that came from no file.
    const std::optional<FileStamp>& opened() const { return opened_; }

    // Whether the bytes may no longer be the file's as opened: the mapped file has been written,
    // cut short or grown since, now or before detach(). Bytes read into memory never change.
    bool changedSinceOpened() const;

    // Holds a copy of the bytes from now on and lets the file go: to be done before the file
    // itself is overwritten, which would change a mapping of it under the writer. Without the
    // memory for the copy, the save of `path` fails (the system's out-of-memory failure).
    void detach(const std::filesystem::path& path);

private:
    std::string bytes_;
    std::unique_ptr<MappedFile> mapping_;
    std::optional<FileStamp> opened_;
    mutable bool changed_ = false;  // once seen, for good
};

// The content of a file, refused and checked as readWholeFile() does, mapped where that is worth
// it.
FileContent readFileContent(const std::filesystem::path& path, const HeadCheck& checkHead = {});

}  // namespace storage
