#include "storage/backup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files.h"
#include "folder_snapshot.h"
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

TEST(Backup, RestoringFailsAndChangesNothingWhereTheBackupIsNoDrawingsOrTheFileIsClaimed) {
    struct Refused {};  // what the head check throws
    const auto drawingsHead = [](std::string_view head) {
        if (!head.starts_with("before")) throw Refused{};
    };
    const struct {
        const char* what;
        std::function<void(const fs::path& folder)> setUp;  // the file is part.dxf, "saved"
        std::optional<Failure> failure;                     // none: the head check refuses
    } cases[] = {
        {"no backup", [](const fs::path&) {}, Failure::kNoBackup},
        {"claimed by another run", [](const fs::path& f) { writeBytes(f / "part.bak", "before"); },
         Failure::kLocked},
        {"backup is a link",
         [](const fs::path& f) {
             writeBytes(f / "elsewhere", "before");
             fs::create_symlink(f / "elsewhere", f / "part.bak");
         },
         Failure::kNotRegularFile},
        {"backup is a FIFO",
         [](const fs::path& f) { ASSERT_EQ(::mkfifo((f / "part.bak").c_str(), 0600), 0); },
         Failure::kNotRegularFile},
        {"backup is a folder", [](const fs::path& f) { fs::create_directory(f / "part.bak"); },
         Failure::kNotRegularFile},
        {"backup is not a drawing",
         [](const fs::path& f) { writeBytes(f / "part.bak", "#!/bin/sh"); }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path file = folder / "part.dxf";
        writeBytes(file, "saved");
        c.setUp(folder.path());
        std::optional<FileLock> editor;
        if (c.failure == Failure::kLocked) editor.emplace(file);
        const auto before = testing_support::snapshotOf(folder.path());
        try {
            restoreBackup(file, drawingsHead);
            ADD_FAILURE() << "restored";
        } catch (const Error& error) {
            EXPECT_EQ(error.failure(), c.failure) << error.what();
            if (c.failure == Failure::kNoBackup) {
                EXPECT_EQ(error.backup(), folder / "part.bak");
            }
        } catch (const Refused&) {
            EXPECT_FALSE(c.failure);
        }
        EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
    }
}

}  // namespace
}  // namespace storage
