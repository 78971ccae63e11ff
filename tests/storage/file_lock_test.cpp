#include "storage/file_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "child_process.h"
#include "files.h"
#include "storage/error.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// What a second claim on `path` does while the first is held: "locked", "claimed" or the error.
std::string secondClaim(const fs::path& path) {
    try {
        FileLock second(path);
        return "claimed";
    } catch (const Error& error) {
        return error.failure() == Failure::kLocked ? "locked" : error.what();
    }
}

TEST(FileLock, ASecondClaimFailsAtOnceNamingTheFile) {
    TempFolder folder;
    const fs::path file = folder / "part.dxf";
    testing_support::writeBytes(file, "content");
    {
        const FileLock first(file);
        try {
            FileLock second(file);
            FAIL() << "claimed twice";
        } catch (const Error& error) {
            EXPECT_EQ(error.failure(), Failure::kLocked);
            EXPECT_EQ(error.path(), file);
        }
        // Through another name of the same file, and from another process.
        fs::create_symlink(file, folder / "link.dxf");
        EXPECT_EQ(secondClaim(folder / "link.dxf"), "locked");
        EXPECT_EQ(testing_support::runInChildProcess(
                      [&] { return secondClaim(file) == "locked" ? 0 : 1; }),
                  0);
    }
    EXPECT_EQ(secondClaim(file), "claimed") << "the claim ends with the lock";
    EXPECT_EQ(testing_support::readBytes(file), "content");
}

TEST(FileLock, AClaimThroughTheHeldOneSharesItUntilBothGo) {
    TempFolder folder;
    const fs::path file = folder / "part.dxf";
    testing_support::writeBytes(file, "content");
    std::optional<FileLock> first(std::in_place, file);
    std::optional<FileLock> shared(std::in_place, file, *first);
    EXPECT_EQ(secondClaim(file), "locked");
    first.reset();
    EXPECT_EQ(secondClaim(file), "locked") << "the shared claim still holds";
    shared.reset();
    EXPECT_EQ(secondClaim(file), "claimed");
}

TEST(FileLock, AFileTheUserCannotWriteIsClaimedForReadingAndStillExcludesAnEditor) {
    TempFolder folder;
    const fs::path file = folder / "part.dxf";
    testing_support::writeBytes(file, "content");
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(testing_support::runWithoutPrivileges([&] {
                  const FileLock reader(file);  // nobody may only read it
                  return secondClaim(file) == "claimed" ? 0 : 1;
              }),
              0);
    const FileLock editor(file);
    EXPECT_EQ(testing_support::runWithoutPrivileges(
                  [&] { return secondClaim(file) == "locked" ? 0 : 1; }),
              0);
}

}  // namespace
}  // namespace storage
