#include "storage/backup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files.h"
#include "storage/error.h"
#include "storage/file_lock.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

TEST(Backup, IsTheNameDotBakBesideTheFileALinkPointsTo) {
    const struct {
        fs::path file;
        fs::path backup;
    } cases[] = {
        {"/d/part.dxf", "/d/part.bak"},
        {"/d.x/part", "/d.x/part.bak"},
        {"/d/part.bak", "/d/part.bak.bak"},
        // A folder that ignores letter case takes part.bak for part.BAK: never the file itself.
        {"/d/part.BAK", "/d/part.BAK.bak"},
        {"/d/caf\xE9.dxf", "/d/caf\xE9.bak"},
    };
    for (const auto& c : cases) EXPECT_EQ(backupPathOf(c.file), c.backup) << c.file;

    TempFolder folder;
    fs::create_directory(folder / "real");
    writeBytes(folder / "real" / "part.dxf", "content");
    fs::create_symlink(folder / "real" / "part.dxf", folder / "link.dxf");
    EXPECT_EQ(savedFileOf(folder / "link.dxf"), fs::canonical(folder / "real" / "part.dxf"));
    EXPECT_EQ(savedFileOf(folder / "real" / "part.dxf"), folder / "real" / "part.dxf");
    EXPECT_EQ(savedFileOf(folder / "missing.dxf"), folder / "missing.dxf");
}

TEST(Backup, RestoringTradesTheFileWithItsBackupAndAgainTradesThemBack) {
    TempFolder folder;
    fs::create_directory(folder / "real");
    const fs::path file = folder / "real" / "part.dxf";
    writeBytes(file, "saved");
    writeBytes(folder / "real" / "part.bak", "before");
    fs::create_symlink(file, folder / "link.dxf");

    restoreBackup(folder / "link.dxf");
    EXPECT_EQ(readBytes(file), "before");
    EXPECT_EQ(readBytes(folder / "real" / "part.bak"), "saved");
    EXPECT_TRUE(fs::is_symlink(folder / "link.dxf"));
    restoreBackup(file);
    EXPECT_EQ(readBytes(file), "saved");
    EXPECT_EQ(readBytes(folder / "real" / "part.bak"), "before");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.dxf", "real"}));
}

TEST(Backup, RestoringFailsAndChangesNothingWithoutABackupOrWhileTheFileIsClaimed) {
    TempFolder folder;
    const fs::path file = folder / "part.dxf";
    writeBytes(file, "saved");
    try {
        restoreBackup(file);
        ADD_FAILURE() << "restored without a backup";
    } catch (const Error& error) {
        EXPECT_EQ(error.failure(), Failure::kNoBackup);
        EXPECT_EQ(error.path(), file);
        EXPECT_EQ(error.backup(), folder / "part.bak");
    }
    writeBytes(folder / "part.bak", "before");
    const FileLock editor(file);
    try {
        restoreBackup(file);
        ADD_FAILURE() << "restored a file another run is editing";
    } catch (const Error& error) {
        EXPECT_EQ(error.failure(), Failure::kLocked);
    }
    EXPECT_EQ(readBytes(file), "saved");
    EXPECT_EQ(readBytes(folder / "part.bak"), "before");
}

}  // namespace
}  // namespace storage
