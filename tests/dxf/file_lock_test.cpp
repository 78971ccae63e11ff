#include "dxf/file_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "child_process.h"
#include "dxf/drawing.h"
#include "dxf/error.h"
#include "files.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using platform::FileLock;
using testing_support::TempFolder;

// What a second claim on `path` does while the first is held: "locked", "claimed" or the error.
std::string secondClaim(const fs::path& path) {
    try {
        FileLock second(path);
        return "claimed";
    } catch (const Error& error) {
        return error.code() == Errc::kLocked ? "locked" : error.what();
    }
}

TEST(FileLock, ASecondClaimFailsAtOnceWithTheNumberedErrorNamingTheFile) {
    TempFolder folder;
    const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    const std::string before = testing_support::readBytes(drawing);
    {
        const FileLock first(drawing);
        try {
            FileLock second(drawing);
            FAIL() << "claimed twice";
        } catch (const Error& error) {
            EXPECT_EQ(error.code(), Errc::kLocked);
            EXPECT_EQ(static_cast<std::uint32_t>(error.number()), 0x80040217U);
            EXPECT_NE(error.description().find(u"titleblock_r2004.dxf"), std::u16string::npos);
            EXPECT_NE(error.description().find(u"图形正由另一程序编辑"), std::u16string::npos);
        }
        // Through another name of the same file, and from another process.
        fs::create_symlink(drawing, folder / "link.dxf");
        EXPECT_EQ(secondClaim(folder / "link.dxf"), "locked");
        EXPECT_EQ(testing_support::runInChildProcess(
                      [&] { return secondClaim(drawing) == "locked" ? 0 : 1; }),
                  0);
    }
    EXPECT_EQ(secondClaim(drawing), "claimed") << "the claim ends with the lock";
    EXPECT_EQ(testing_support::readBytes(drawing), before);
}

TEST(FileLock, AnOpenDrawingHoldsItsFileUntilItGoesAndItsOwnReopenShares) {
    TempFolder folder;
    const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    std::optional<Drawing> open = Drawing::open(drawing);
    EXPECT_EQ(secondClaim(drawing), "locked");
    // The engine reopening the drawing it holds (a template that is also in the batch).
    open = Drawing::open(drawing, &*open);
    EXPECT_EQ(secondClaim(drawing), "locked");
    open.reset();
    EXPECT_EQ(secondClaim(drawing), "claimed");
}

TEST(FileLock, AFileTheUserCannotWriteIsClaimedForReadingAndStillExcludesAnEditor) {
    TempFolder folder;
    const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    ::chmod(drawing.c_str(), 0644);
    EXPECT_EQ(testing_support::runWithoutPrivileges([&] {
                  const FileLock reader(drawing);  // nobody may only read it
                  return secondClaim(drawing) == "claimed" ? 0 : 1;
              }),
              0);
    const FileLock editor(drawing);
    EXPECT_EQ(testing_support::runWithoutPrivileges(
                  [&] { return secondClaim(drawing) == "locked" ? 0 : 1; }),
              0);
}

TEST(FileLock, OpenFailuresKeepTheirOwnErrors) {
    TempFolder folder;
    fs::create_directory(folder / "folder.dxf");
    const struct {
        const char* name;
        Errc code;
    } cases[] = {{"missing.dxf", Errc::kFileNotFound}, {"folder.dxf", Errc::kFolder}};
    for (const auto& c : cases) {
        try {
            FileLock lock(folder / c.name);
            ADD_FAILURE() << c.name;
        } catch (const Error& error) {
            EXPECT_EQ(error.code(), c.code) << c.name;
        }
    }
}

}  // namespace
}  // namespace dxf
