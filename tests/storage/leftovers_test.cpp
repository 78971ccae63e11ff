// What a killed run left beside a drawing, settled by the next run in one pass: every leftover
// of ours for that drawing is settled, whatever its role; a folder with none is left alone, not
// even flushed, as most opens and saves find none.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "files.h"
#include "interposer.h"
#include "storage/backup.h"
#include "storage/kept_listings.h"
#include "storage/replacement_file.h"
#include "storage/temporary_names_posix.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using interposer::Event;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

struct Leftover {
    const char* role;
    const char* bytes;
};

// Writes `left.bytes` under a fresh name of ours in the role `left.role` for the file `name`.
void leave(const TempFolder& folder, const std::string& name, const Leftover& left) {
    const auto made = makeUnderFreshName(name, left.role, [&](const std::string& fresh) {
        if (fs::exists(folder / fresh)) {
            errno = EEXIST;
            return false;
        }
        writeBytes(folder / fresh, left.bytes);
        return true;
    });
    ASSERT_TRUE(made);
}

TEST(Leftovers, OneSettleSettlesEveryRoleAndAFolderWithoutLeftoversIsLeftAlone) {
    const struct {
        const char* what;
        std::vector<Leftover> leftovers;  // beside part.dxf "the file", part.bak "the backup"
        const char* backup;               // once settled
    } cases[] = {
        {"none", {}, "the backup"},
        // The draft, the parked copy of the file and the set-aside older backup go; the earlier
        // version, newer than the backup, becomes it.
        {"one of every role",
         {{"new", "a draft"},
          {"swap", "the file"},
          {"older", "an older backup"},
          {"old", "an earlier version"}},
         "an earlier version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        writeBytes(folder / "part.bak", "the backup");
        fs::last_write_time(folder / "part.bak",
                            fs::last_write_time(folder / "part.bak") - std::chrono::hours(1));
        writeBytes(folder / "part.dxf", "the file");
        leave(folder, "other.dxf", {"old", "another drawing's"});  // not this drawing's to settle
        const std::vector<std::string> names = folder.names();
        for (const Leftover& left : c.leftovers) leave(folder, "part.dxf", left);

        std::vector<Event> calls;
        interposer::events = &calls;
        tidyAfterKilledSaves(folder / "part.dxf");
        interposer::events = nullptr;

        EXPECT_EQ(folder.names(), names);
        EXPECT_EQ(readBytes(folder / "part.dxf"), "the file");
        EXPECT_EQ(readBytes(folder / "part.bak"), c.backup);
        struct stat own {};
        ASSERT_EQ(::stat(folder.path().c_str(), &own), 0);
        const auto folderFlushed = std::find_if(calls.rbegin(), calls.rend(), [&](const Event& e) {
            return e.call == "fsync" && e.inode == own.st_ino;
        });
        if (c.leftovers.empty()) {
            EXPECT_TRUE(calls.empty()) << "nothing renamed, removed or flushed";
        } else {
            EXPECT_EQ(folderFlushed, calls.rbegin()) << "the folder flushed once its names changed";
        }
    }
}

// A batch's opens look into each folder once: what a run killed since leaves waits for the next
// look, which a save makes at once.
TEST(Leftovers, WhileListingsAreKeptOpensReadAFolderOnceAndSavesReadItAgain) {
    TempFolder folder;
    for (const char* name : {"a.dxf", "b.dxf"}) writeBytes(folder / name, "a drawing");
    leave(folder, "a.dxf", {"new", "a draft"});
    const std::vector<std::string> drawings = {"a.dxf", "b.dxf"};
    {
        const KeptListings kept;
        tidyAfterKilledSaves(folder / "a.dxf");
        EXPECT_EQ(folder.names(), drawings) << "what was there at the first look is settled";
        leave(folder, "b.dxf", {"new", "a draft"});
        tidyAfterKilledSaves(folder / "b.dxf");
        EXPECT_EQ(folder.names().size(), 3U) << "left after the first look";
        replaceContent(folder / "b.dxf", "a drawing");
        EXPECT_EQ(folder.names(), drawings) << "settled by the save";
    }
}

}  // namespace
}  // namespace storage
