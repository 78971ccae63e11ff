// The order in which a save reaches the disk, seen through the interposed system calls that
// decide it: a crash at any moment, power loss included, must find the file's name on a complete
// version and the previous version under a name of its own, so the new version is flushed before
// a name leads to it, the previous version is the backup before the new one takes the file's
// name, and the folder is flushed after the names change; saving by copying flushes the backup
// and its name before the file's first byte is overwritten.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files.h"
#include "interposer.h"
#include "storage/backup.h"
#include "storage/file_lock.h"
#include "storage/replacement_file.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using interposer::Event;
using testing_support::TempFolder;

std::ptrdiff_t firstIndex(const std::vector<Event>& log, const std::string& call, ino_t inode,
                          const std::string& name = {}) {
    const auto at = std::find_if(log.begin(), log.end(), [&](const Event& e) {
        return e.call == call && e.inode == inode && (name.empty() || e.name == name);
    });
    return at == log.end() ? -1 : at - log.begin();
}

std::ptrdiff_t lastIndex(const std::vector<Event>& log, const std::string& call, ino_t inode) {
    for (std::ptrdiff_t i = std::ssize(log) - 1; i >= 0; --i) {
        if (log[i].call == call && log[i].inode == inode) return i;
    }
    return -1;
}

// Saves a new version of `file` and returns the calls the save made.
std::vector<Event> saveRecorded(const fs::path& file) {
    FileLock lock(file);
    std::vector<Event> log;
    interposer::events = &log;
    {
        ReplacementFile replacement(file, backupPathOf(file), lock);
        replacement.write("the new version");
        replacement.commit();
    }
    interposer::events = nullptr;
    return log;
}

ino_t inodeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_ino;
}

TEST(DurabilityOrder, TheNewVersionIsOnDiskBeforeItHasTheFilesNameAndTheFolderAfter) {
    TempFolder folder;
    const fs::path file = folder / "part.dxf";
    testing_support::writeBytes(file, "the old version");
    const std::vector<Event> log = saveRecorded(file);
    const ino_t saved = inodeOf(file);
    const ino_t backup = inodeOf(folder / "part.bak");

    const auto named = firstIndex(log, "name", saved, "part.dxf");
    ASSERT_GE(named, 0) << "the new version took the file's name by a rename or link";
    const auto flushed = firstIndex(log, "fsync", saved);
    ASSERT_GE(flushed, 0) << "the new version was never flushed";
    EXPECT_LT(flushed, firstIndex(log, "name", saved)) << "flushed before any name leads to it";
    const auto backupNamed = firstIndex(log, "name", backup, "part.bak");
    ASSERT_GE(backupNamed, 0);
    EXPECT_LT(backupNamed, named) << "the previous version is never left with a hidden name only";
    EXPECT_GT(lastIndex(log, "fsync", inodeOf(folder.path())), std::max(named, backupNamed))
        << "the folder is flushed after its names change";
}

TEST(DurabilityOrder, SavingByCopyingFlushesTheBackupBeforeOverwritingTheFile) {
    TempFolder folder;
    const fs::path path = folder / "part.dxf";
    testing_support::writeBytes(path, "the old version");
    fs::create_hard_link(path, folder / "second name.dxf");
    const ino_t file = inodeOf(path);
    const std::vector<Event> log = saveRecorded(path);
    EXPECT_EQ(inodeOf(path), file) << "the file itself was overwritten";
    const ino_t backup = inodeOf(folder / "part.bak");

    const auto overwritten = firstIndex(log, "write", file);
    ASSERT_GE(overwritten, 0);
    const auto backupFlushed = firstIndex(log, "fsync", backup);
    ASSERT_GE(backupFlushed, 0) << "the backup copy was never flushed";
    EXPECT_LT(backupFlushed, overwritten);
    EXPECT_LT(firstIndex(log, "name", backup), overwritten)
        << "the backup has a name before the file changes";
    const auto fileFlushed = lastIndex(log, "fsync", file);
    EXPECT_GT(fileFlushed, lastIndex(log, "write", file));
    const auto backupNamed = firstIndex(log, "name", backup, "part.bak");
    ASSERT_GE(backupNamed, 0);
    const auto folderFlushed =
        std::find_if(log.begin() + backupNamed, log.end(),
                     [&](const Event& e) {
                         return e.call == "fsync" && e.inode == inodeOf(folder.path());
                     }) -
        log.begin();
    EXPECT_LT(folderFlushed, overwritten) << "the backup's name is on disk before the overwrite";
}

}  // namespace
}  // namespace storage
