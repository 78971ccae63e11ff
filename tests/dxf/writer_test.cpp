#include "dxf/writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "dxf/drawing.h"
#include "files.h"
#include "storage/backup.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

std::string compose(std::string_view original, const Patches& patches) {
    std::string out;
    forEachPiece(original, patches, [&](std::string_view piece) { out += piece; });
    return out;
}

// Saves `content` as the whole new version of `path`, unlocked.
void save(const fs::path& path, std::string_view content) {
    storage::FileLock unlocked;
    storage::FileContent bytes{std::string(content)};
    saveWithBackup(path, bytes, {}, unlocked);
}

TEST(Writer, ComposesTheOriginalWithItsPatches) {
    EXPECT_EQ(compose("abcdef", {}), "abcdef");
    EXPECT_EQ(compose("abcdef", {{0, {1, "X"}}}), "Xbcdef");
    EXPECT_EQ(compose("abcdef", {{2, {4, ""}}}), "abef");
    EXPECT_EQ(compose("abcdef", {{5, {6, "YZ"}}}), "abcdeYZ");
    EXPECT_EQ(compose("abcdef", {{1, {2, "1"}}, {2, {3, "2"}}, {3, {3, "+"}}}), "a12+def");
}

TEST(Writer, KeepsThePreviousVersionAsNameDotBak) {
    EXPECT_EQ(storage::backupPathOf("/d/part.dxf"), fs::path("/d/part.bak"));
    EXPECT_EQ(storage::backupPathOf("/d.x/part"), fs::path("/d.x/part.bak"));
    EXPECT_EQ(storage::backupPathOf("/d/part.bak"), fs::path("/d/part.bak.bak"));
    // A folder that ignores letter case takes part.bak for part.BAK: never the drawing itself.
    EXPECT_EQ(storage::backupPathOf("/d/part.BAK"), fs::path("/d/part.BAK.bak"));
    EXPECT_EQ(storage::backupPathOf("/d/caf\xE9.dxf"), fs::path("/d/caf\xE9.bak"));
}

TEST(Writer, SavesBesideTheDrawingAndReplacesAnOlderBackup) {
    TempFolder folder;
    const auto path = folder / "part.dxf";
    testing_support::writeBytes(path, "old version");
    testing_support::writeBytes(folder / "part.bak", "older version");
    save(path, "new version");
    EXPECT_EQ(testing_support::readBytes(path), "new version");
    EXPECT_EQ(testing_support::readBytes(folder / "part.bak"), "old version");
    save(path, "newest version");
    EXPECT_EQ(testing_support::readBytes(folder / "part.bak"), "new version");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"part.bak", "part.dxf"}));
}

TEST(Writer, KeepsTheDrawingsPermissions) {
    TempFolder folder;
    const auto path = folder / "part.dxf";
    testing_support::writeBytes(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    save(path, "new");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(Writer, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
    TempFolder folder;
    fs::create_directory(folder / "real");
    testing_support::writeBytes(folder / "real" / "part.dxf", "old");
    fs::create_symlink(folder / "real" / "part.dxf", folder / "link.dxf");
    save(folder / "link.dxf", "new");
    EXPECT_TRUE(fs::is_symlink(folder / "link.dxf"));
    EXPECT_EQ(testing_support::readBytes(folder / "real" / "part.dxf"), "new");
    EXPECT_EQ(testing_support::readBytes(folder / "real" / "part.bak"), "old");
}

TEST(Writer, SavesADrawingWhoseFileWasRemovedMeanwhile) {
    TempFolder folder;
    const auto path = folder / "part.dxf";
    save(path, "new");
    EXPECT_EQ(testing_support::readBytes(path), "new");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"part.dxf"}));
}

}  // namespace
}  // namespace dxf
