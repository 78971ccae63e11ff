#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "dxf/error.h"
#include "dxf/file_lock.h"
#include "dxf/save_in_progress.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

// The only place that calls the operating system's file API; everything above it is portable.
// Failures throw dxf::Error carrying the Windows error code of the cause on every platform.
namespace dxf::platform {

#ifndef _WIN32
// The failure `err` (an errno value) numbered as the same cause is on Windows.
Error errnoError(int err, FileAction action, const std::filesystem::path& path);
#endif

// How many bytes of a file checkHead sees before the rest is read.
inline constexpr std::size_t kHeadSize = 4096;

// Looks at a file's first bytes (kHeadSize, or fewer when the file is shorter) and throws to
// refuse it before the rest is read.
using HeadCheck = std::function<void(std::string_view head)>;

// The largest file this machine can hold in memory along with the rest of the program: half its
// physical memory, less where the process's address space is limited.
std::uint64_t largestReadableFile();

// The whole content of a regular file or a pipe, read at once. With `checkHead`, the first bytes
// are checked before any more memory is taken; a file larger than largestReadableFile() is
// refused (kFileTooLarge) before it is read, a pipe as soon as it passes that size.
std::string readWholeFile(const std::filesystem::path& path, const HeadCheck& checkHead = {});

// The bytes of a drawing's file as it was opened. A large regular file on a local file system is
// mapped rather than read: the system's file cache then holds its only copy, which spares copying
// hundreds of megabytes and taking as much memory again. The lock binds only programs that ask
// for it, so another program may still change a mapped file: changedSinceOpened() tells, and a
// file cut short reads as zeros instead of ending the process.
class FileContent {
public:
    FileContent() = default;
    explicit FileContent(std::string bytes) : bytes_(std::move(bytes)) {}
    FileContent(FileContent&& other) noexcept;
    FileContent& operator=(FileContent&& other) noexcept;
    ~FileContent();
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;

    std::string_view view() const;
    bool mapped() const { return mapping_ != nullptr; }

    // Whether the bytes may no longer be the file's as opened: the mapped file has been written,
    // cut short or grown since, now or before detach(). Bytes read into memory never change.
    bool changedSinceOpened() const;

    // Holds a copy of the bytes from now on and lets the file go: to be done before the file
    // itself is overwritten, which would change a mapping of it under the writer. Without the
    // memory for the copy, the save of `path` fails with kOutOfMemory.
    void detach(const std::filesystem::path& path);

private:
    struct Mapping;
    friend FileContent readFileContent(const std::filesystem::path&, const HeadCheck&);
    void release();

    std::string bytes_;
    Mapping* mapping_ = nullptr;
    mutable bool changed_ = false;  // once seen, for good
};

// The content of a drawing's file, refused and checked as readWholeFile() does, mapped where
// that is worth it.
FileContent readFileContent(const std::filesystem::path& path, const HeadCheck& checkHead = {});

// How the system numbers a file: equal for every path that leads to it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
};

// The file `path` leads to, through symbolic links; nullopt when it leads to none.
std::optional<FileIdentity> identityOf(const std::filesystem::path& path);

// Whether `folder` takes names that differ only in ASCII letter case as one name, found by
// looking up one of its entries in the other case. True where there is no telling (no entry with
// a letter), since then two such names must be kept apart as if they were one.
bool foldsCase(const std::filesystem::path& folder);

// Whether `path` names a regular file (through symbolic links).
bool isRegularFile(const std::filesystem::path& path);

// Swaps the two files under their names: atomically where the system can (Linux), else in three
// renames through a temporary name beside `first`. Both must exist.
void exchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second);

// Removes the temporary files that a run killed while saving `target` left behind, where this
// system names them.
void removeLeftoversOf(const std::filesystem::path& target);

// A new version of the file `target`, saved so that nothing the file carries is lost and nothing is
// left half done. Until commit() succeeds the drawing and its older backup stay exactly as they
// were, and a replacement destroyed without a successful commit leaves no file behind.
//
// The new version normally goes to a new file that takes the drawing's mode, owner, group and
// extended attributes (access lists included) and then the drawing's name. Where a new file
// cannot carry all of that (another user's file, attributes that cannot be set) or the drawing
// has more than one name (hard links), the save goes by copying: the backup is written as a copy
// first, then the drawing's own bytes are overwritten, so every name keeps the same file.
class ReplacementFile {
public:
    // Fails with the read-only error when no one may write the drawing (root included), with the
    // system's error when this user may not. `lock` is the drawing's claim; after the commit it
    // holds the file that then carries the drawing's name.
    ReplacementFile(std::filesystem::path target, FileLock& lock);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::string_view bytes);

    // Flushes the new version to disk, keeps the current target as `backup` (a file in the same
    // folder, replacing an older backup) and puts the new version in place.
    void commit(const std::filesystem::path& backup);

    // Whether this save overwrites the drawing in place (decided on construction).
    bool byCopying() const { return byCopying_; }

private:
#ifdef _WIN32
    std::filesystem::path target_;
    FileLock& lock_;
    std::filesystem::path temp_;
    void* handle_ = nullptr;
    bool committed_ = false;
    bool byCopying_ = false;
#else
    void discard();
    int createTemporary(const std::string& name, bool& named);
    void createNewVersion();
    bool takeIdentity();
    void startCopying();
    void nameTemporary(int fd, const std::string& name);
    void nameOldVersion();
    void commitNewFile(const std::string& backupName);
    void commitInPlace(const std::string& backupName);
    void restoreInPlace();

    SaveInProgress saving_;  // first: the guard outlives every file below
    std::filesystem::path target_;
    std::string name_;     // the target's name in its folder
    std::string tempNew_;  // short names of ours in that folder, the same for every save of the
    std::string tempOld_;  // drawing, so that a run killed mid-save is tidied by the next one
    int folder_ = -1;
    int fd_ = -1;       // the new version, or the drawing itself when saving by copying
    int oldCopy_ = -1;  // the copy of the current version when saving by copying
    bool exists_ = false;
    bool byCopying_ = false;
    bool newNamed_ = false;
    bool oldNamed_ = false;
    bool overwriting_ = false;
    bool committed_ = false;
    struct stat current_ {};
    FileLock& lock_;
#endif
};

}  // namespace dxf::platform
