// The order in which a save reaches the disk, seen by interposing the system calls that decide
// it (the test binary is linked with --wrap for each): a crash at any moment must find the
// file's name on a complete version, so the new version is flushed before a name leads to it
// and the folder is flushed after the names change; saving by copying flushes the backup before
// the file's first byte is overwritten.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files.h"
#include "storage/backup.h"
#include "storage/file_lock.h"
#include "storage/replacement_file.h"

namespace {

struct Event {
    std::string call;  // "fsync", "name" (a rename or link gives `inode` the name `name`), "write"
    ino_t inode;
    std::string name;
};

std::vector<Event>* events = nullptr;  // recording while set

ino_t inodeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

ino_t inodeAt(int folder, const char* name, int flags) {
    struct stat st {};
    return ::fstatat(folder, name, &st, flags) == 0 ? st.st_ino : 0;
}

std::string baseName(const char* path) {
    const std::string text = path;
    return text.substr(text.rfind('/') + 1);
}

void record(Event event) {
    if (events != nullptr) events->push_back(std::move(event));
}

}  // namespace

extern "C" {
int __real_fsync(int fd);
int __real_fdatasync(int fd);
int __real_rename(const char* from, const char* to);
int __real_renameat(int fromFolder, const char* from, int toFolder, const char* to);
int __real_link(const char* from, const char* to);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
ssize_t __real_write(int fd, const void* bytes, size_t size);

int __wrap_fsync(int fd) {
    record({"fsync", inodeOf(fd), {}});
    return __real_fsync(fd);
}
int __wrap_fdatasync(int fd) {
    record({"fsync", inodeOf(fd), {}});
    return __real_fdatasync(fd);
}
int __wrap_rename(const char* from, const char* to) {
    record({"name", inodeAt(AT_FDCWD, from, AT_SYMLINK_NOFOLLOW), baseName(to)});
    return __real_rename(from, to);
}
int __wrap_renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    record({"name", inodeAt(fromFolder, from, AT_SYMLINK_NOFOLLOW), baseName(to)});
    return __real_renameat(fromFolder, from, toFolder, to);
}
int __wrap_link(const char* from, const char* to) {
    record({"name", inodeAt(AT_FDCWD, from, AT_SYMLINK_NOFOLLOW), baseName(to)});
    return __real_link(from, to);
}
int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    const int follow = (flags & AT_SYMLINK_FOLLOW) != 0 ? 0 : AT_SYMLINK_NOFOLLOW;
    record({"name", inodeAt(fromFolder, from, follow), baseName(to)});
    return __real_linkat(fromFolder, from, toFolder, to, flags);
}
ssize_t __wrap_write(int fd, const void* bytes, size_t size) {
    record({"write", inodeOf(fd), {}});
    return __real_write(fd, bytes, size);
}
}

namespace storage {
namespace {

namespace fs = std::filesystem;
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
    events = &log;
    {
        ReplacementFile replacement(file, backupPathOf(file), lock);
        replacement.write("the new version");
        replacement.commit();
    }
    events = nullptr;
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
    EXPECT_GT(lastIndex(log, "fsync", inodeOf(folder.path())), backupNamed)
        << "the folder is flushed after its names change";
}

}  // namespace
}  // namespace storage
