#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "dxf/file_lock.h"
#include "dxf/platform_file.h"
#include "dxf/tag_scanner.h"

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

// The new content, in order: untouched stretches of `original` and the patches' bytes.
void forEachPiece(std::string_view original, const Patches& patches,
                  const std::function<void(std::string_view)>& sink);

// Where the previous version of `drawing` is kept: the same name with the extension .bak, its
// stem shortened where that name would be longer than a file name can be.
std::filesystem::path backupPathOf(const std::filesystem::path& drawing);

// The file a save of `target` replaces: through a symbolic link, the file it points to. Its
// backup is backupPathOf(savedFileOf(target)).
std::filesystem::path savedFileOf(const std::filesystem::path& target);

// Removes what a run killed while saving `target` left behind, for a save that writes nothing.
void tidyAfterKilledSaves(const std::filesystem::path& target);

// Saves the new content as `target`, keeping the current file as its backup (see
// platform::ReplacementFile for how). On failure (dxf::Error) the target and its older backup are
// as they were and no temporary file remains; that includes a file another program has changed
// since `original` was read from it. `lock` is the drawing's claim, kept on the file that carries
// its name afterwards.
void saveWithBackup(const std::filesystem::path& target, platform::FileContent& original,
                    const Patches& patches, platform::FileLock& lock);

// Undoes the last save of `drawing`: the drawing and its backup trade places in one step, so a
// second call redoes the save. Without a backup it throws and nothing changes.
void restoreBackup(const std::filesystem::path& drawing);

}  // namespace dxf
