#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "storage/file_content.h"
#include "storage/file_lock.h"
#include "storage/file_stamp.h"

namespace storage {

// A new version of the file `target`, saved so that nothing the file carries is lost and nothing is
// left half done: after a crash at any moment the file's name holds the old version or the new
// one, or (saving by copying) a torn one with the old version under the backup's name; the next
// save or settleLeftoversOf() settles what the crash left. A replacement destroyed without a
// successful commit leaves the file and its older backup as they were and no file behind.
// Failures throw storage::Error.
//
// On POSIX systems the new version normally goes to a new file that takes the file's mode, owner,
// group and extended attributes (access lists included) and then its name. Where a new file
// cannot carry all of that (another user's file, attributes that cannot be set) or the file has
// more than one name (hard links), the save goes by copying: the backup is written as a copy
// first, then the file's own bytes are overwritten, so every name keeps the same file. On Windows
// ReplaceFile keeps the file's attributes and access rights.
class ReplacementFile {
public:
    // `target` is the file itself, not a symbolic link to it; an empty `backup` keeps none. Fails
    // with kReadOnly when no one may write the file (root included), with the system's failure when
    // this user may not. `lock` is the file's claim; after the commit it holds the file that then
    // carries the name. With `opened`, the stamp of the file as its content was read, the save
    // fails with kReplaced and changes nothing when the name no longer leads to that file as it
    // was.
    ReplacementFile(std::filesystem::path target, const std::filesystem::path& backup,
                    FileLock& lock, std::optional<FileStamp> opened = {});
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::string_view bytes);
    // Writes the bytes [offset, offset + size) of `source`, as write() would. On Linux, where
    // `source` is mapped from its file, the kernel copies a long stretch file to file (sharing
    // the disk's blocks where the file system can) rather than through this process's memory.
    void writeStretch(const FileContent& source, std::size_t offset, std::size_t size);

    // Flushes the new version to disk and puts it in place, the current version kept as `backup`
    // (a file in the same folder, replacing an older backup); returns the new version's stamp.
    FileStamp commit();

    // Whether this save overwrites the file in place (decided on construction).
    bool byCopying() const;

private:
    class Save;  // this system's way of saving
    std::unique_ptr<Save> save_;
};

// Settles what a run killed while saving `target`, or while exchanging it with its `backup`,
// left behind, where this system names such files: each version it finds is kept under the
// file's name or the backup's, or dropped where one of them holds the same bytes.
void settleLeftoversOf(const std::filesystem::path& target, const std::filesystem::path& backup);

// Replaces the whole content of the file `path` (through symbolic links: the file they lead to)
// with `bytes` as a ReplacementFile does, keeping no backup: a crash leaves the old content or the
// new, never a file cut short. Anything there but a regular file is kNotRegularFile.
void replaceContent(const std::filesystem::path& path, std::string_view bytes);

}  // namespace storage
