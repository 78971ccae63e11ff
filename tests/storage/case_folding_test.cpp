// Whether a folder takes two spellings of a name as one: told from what its listing holds, not
// from the numbers the system gives each spelling.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "files.h"
#include "storage/case_folding.h"
#include "storage/file_names.h"

namespace storage {
namespace {

namespace fs = std::filesystem;

TEST(CaseFolding, IsToldByWhatTheOtherSpellingLeadsToAndWhatTheListingHolds) {
    const struct {
        const char* what;
        std::vector<std::string> listing;
        std::map<std::string, std::uint64_t> leadsTo;  // name -> entry number
        bool folds;
    } cases[] = {
        {"keeps case", {".", "..", "a.dxf"}, {{"a.dxf", 1}}, false},
        {"folds, one number for both spellings (vfat, casefold)",
         {".", "..", "a.dxf"},
         {{"a.dxf", 1}, {"A.DXF", 1}},
         true},
        {"folds, each spelling numbered apart (exFAT through FUSE)",
         {"a.dxf"},
         {{"a.dxf", 1}, {"A.DXF", 2}},
         true},
        {"keeps case, both spellings there",
         {"a.dxf", "A.DXF"},
         {{"a.dxf", 1}, {"A.DXF", 2}},
         false},
        {"keeps case, both spellings one file's names",
         {"a.dxf", "A.DXF"},
         {{"a.dxf", 1}, {"A.DXF", 1}},
         false},
        {"the first entry with a letter gone since listed: the next tells",
         {"gone.dxf", "b.dxf"},
         {{"b.dxf", 2}},
         false},
        {"no letter to tell by", {".", "..", "1.2"}, {{"1.2", 1}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto lookup = [&](const std::string& name) -> std::optional<FileIdentity> {
            const auto found = c.leadsTo.find(name);
            if (found == c.leadsTo.end()) return std::nullopt;
            return FileIdentity{1, found->second};
        };
        EXPECT_EQ(foldsCaseOf(c.listing, lookup), c.folds);
    }
}

TEST(CaseFolding, OfARealFolder) {
    const testing_support::TempFolder folder;
    testing_support::writeBytes(folder / "a.dxf", "");
    EXPECT_FALSE(foldsCase(folder.path())) << "the test folder keeps case";

    // A folder that folds case needs a file system made so, which only root may mount, and the
    // folder marked (chattr +F) while empty.
    const testing_support::TempFolder mountPoint;
    if (::mount("tmpfs", mountPoint.path().c_str(), "tmpfs", 0, "casefold") != 0) {
        GTEST_SKIP() << "no tmpfs with casefold here (Linux 6.13 or later, and root)";
    }
    const fs::path folding = mountPoint / "folds";
    fs::create_directory(folding);
    const int fd = ::open(folding.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    const bool marked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags |= FS_CASEFOLD_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    testing_support::writeBytes(folding / "a.dxf", "");
    const bool folds = foldsCase(folding);
    fs::remove_all(folding);
    ::umount(mountPoint.path().c_str());
    if (!marked) GTEST_SKIP() << "the folder could not be marked to fold case";
    EXPECT_TRUE(folds);
}

}  // namespace
}  // namespace storage
