#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "dxf/tag_scanner.h"
#include "storage/file_content.h"
#include "storage/file_lock.h"

namespace dxf {

// New bytes for the stretch [begin, end) of the original file; keyed by `begin`. Patches never
// overlap: each replaces one value, or inserts one whole tag where begin == end.
struct Patch {
    std::size_t end;
    std::string bytes;      // the value
    std::string tagHead{};  // an inserted tag's group code before its value, and the end after it;
    std::string tagTail{};  // both empty when a value is replaced in place

    bool operator==(const Patch&) const = default;
};

// The head and tail around the value of a new tag with group code `code` (< 255), in the file's
// `layout` and with its `lineEnd` ("\n" or "\r\n") in an ASCII file.
Patch newTagPatch(std::size_t at, Layout layout, int code, std::string_view lineEnd);
using Patches = std::map<std::size_t, Patch>;

// The new content, in order: the stretches [offset, offset + size) of an original of
// `originalSize` bytes that the patches leave untouched, and the patches' bytes.
void forEachStretch(std::size_t originalSize, const Patches& patches,
                    const std::function<void(std::size_t offset, std::size_t size)>& untouched,
                    const std::function<void(std::string_view)>& patched);

// The new content as pieces, in order: untouched stretches of `original` and the patches' bytes.
void forEachPiece(std::string_view original, const Patches& patches,
                  const std::function<void(std::string_view)>& sink);

// Saves the new content as `target`, keeping the current file as its backup
// (storage::backupPathOf; storage::ReplacementFile says how). On failure (dxf::Error) the target
// and its older backup are as they were and no temporary file remains; that includes a file
// another program has changed since `original` was read from it, or since `onDisk` (the file as
// read or last saved), or a name that leads to another file now. `lock` is the drawing's claim,
// kept on the file that carries its name afterwards. Returns the stamp of the file saved.
storage::FileStamp saveWithBackup(const std::filesystem::path& target,
                                  storage::FileContent& original, const Patches& patches,
                                  storage::FileLock& lock,
                                  const std::optional<storage::FileStamp>& onDisk);

}  // namespace dxf
