#pragma once

#include <filesystem>

#include "storage/file_content.h"

// The previous version a save keeps beside the file, and undoing that save.
namespace storage {

// Where the previous version of `file` is kept: the same name with the extension .bak, its
// stem shortened where that name would be longer than a file name can be.
std::filesystem::path backupPathOf(const std::filesystem::path& file);

// The file a save of `target` replaces: through a symbolic link, the file it points to. Its
// backup is backupPathOf(savedFileOf(target)).
std::filesystem::path savedFileOf(const std::filesystem::path& target);

// Settles what a run killed while saving `target` left behind, for a save that writes nothing.
void tidyAfterKilledSaves(const std::filesystem::path& target);

// Undoes the last save of `file`: the file and its backup trade places in one step, so a second
// call redoes the save. Nothing changes when it fails: without a backup with kNoBackup, with
// kNotRegularFile for a backup that is a link or no file at all, as `checkHead` throws for one
// whose first bytes it refuses, and with kLocked for a file another run is editing.
void restoreBackup(const std::filesystem::path& file, const HeadCheck& checkHead = {});

}  // namespace storage
