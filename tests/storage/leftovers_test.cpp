// What a killed run left beside a drawing, settled by the next run in one pass: every leftover
// of ours for that drawing is settled, whatever its role, and its mark goes with the last; a
// folder with none is left alone, not even flushed, as most opens and saves find none.

#include <fcntl.h>
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
#include "storage/temporary_names_posix.h"
#include "storage/unique_fd.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using interposer::Event;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

struct Leftover {
    const char* role;
    const char* bytes;  // nullptr: a folder someone made under our name, which no run removes
};

// Leaves `left` under a fresh name of ours in the role `left.role` for the file `name`, with
// its mark, as a run killed then would.
void leave(const TempFolder& folder, const std::string& name, const Leftover& left) {
    const UniqueFd own(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    OurNames ours(own.get(), name);
    const auto made = ours.make(left.role, [&](const std::string& fresh) {
        if (fs::exists(folder / fresh)) {
            errno = EEXIST;
            return false;
        }
        if (left.bytes == nullptr) {
            fs::create_directory(folder / fresh);
        } else {
            writeBytes(folder / fresh, left.bytes);
        }
        return true;
    });
    ASSERT_TRUE(made);
}

TEST(Leftovers, OneSettleSettlesEveryRoleAndTheMarkGoesWithTheLastOfThem) {
    const struct {
        const char* what;
        std::vector<Leftover> leftovers;  // beside part.dxf "the file", part.bak "the backup"
        const char* backup;               // once settled
        bool stays = false;               // what was left stays, and so the mark
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
        {"someone's folder under our name", {{"new", nullptr}}, "the backup", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        writeBytes(folder / "part.bak", "the backup");
        fs::last_write_time(folder / "part.bak",
                            fs::last_write_time(folder / "part.bak") - std::chrono::hours(1));
        writeBytes(folder / "part.dxf", "the file");
        leave(folder, "other.dxf", {"old", "another drawing's"});  // not this drawing's to settle
        std::vector<std::string> names = folder.names();
        for (const Leftover& left : c.leftovers) leave(folder, "part.dxf", left);
        if (c.stays) names = folder.names();

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
        if (c.leftovers.empty() || c.stays) {
            EXPECT_TRUE(calls.empty()) << "nothing renamed, removed or flushed";
        } else {
            EXPECT_EQ(folderFlushed, calls.rbegin()) << "the folder flushed once its names changed";
        }
    }
}

}  // namespace
}  // namespace storage
