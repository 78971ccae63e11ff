// A save, a restore or a table's replacement ended at each of its file-system calls in turn,
// killed there or failing there, through the interposed calls: whatever the moment, the file is
// the old or the new version (or torn, with the old one as its backup), and once the next run has
// settled what was left every version is under the file's name or the backup's and nothing else
// remains. The hidden names a run uses for this are its own: what someone made under them
// beforehand stays.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"
#include "files.h"
#include "interposer.h"
#include "storage/backup.h"
#include "storage/error.h"
#include "storage/file_content.h"
#include "storage/file_lock.h"
#include "storage/replacement_file.h"
#include "storage/temporary_names_posix.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

constexpr int kCompleted = 0;
constexpr int kFailed = 1;

struct Versions {
    std::string drawing;
    std::string backup;
};

struct Scenario {
    const char* what;
    bool restore;     // the drawing and its backup trade places; otherwise a new version is saved
    bool hardLinked;  // a second name makes the save go by copying
    bool noExchange;  // the file system cannot exchange two names in one step
    bool stretches;   // a drawing large enough to be mapped: the save keeps most of it, the
                      // kernel copying those stretches where it does not go by copying
    bool table = false;  // a table replaced whole, as export -o writes it: no backup is kept
};

constexpr Scenario kScenarios[] = {
    {"save", false, false, false, false},
    {"save by copying", false, true, false, false},
    {"restore", true, false, false, false},
    {"restore by three renames", true, false, true, false},
    {"save with stretches copied by the kernel", false, false, false, true},
    {"save by copying with stretches", false, true, false, true},
    {"table written by export -o", false, false, false, false, true},
};

// Each of the stretches a large version keeps around its name.
// Half a mebibyte each keeps a version above the size from which drawings are mapped.
constexpr std::size_t kStretch = std::size_t{1} << 19;
constexpr const char* kVersionNames[] = {"the old version", "the new version", "the older backup"};

// The bytes of the version named `name` in the scenario.
std::string bytesOf(const Scenario& s, const std::string& name) {
    return s.stretches ? std::string(kStretch, 'a') + name + std::string(kStretch, 'z') : name;
}

// The version named whose bytes these are; (torn) for none of them.
std::string nameOf(const Scenario& s, const std::string& bytes) {
    for (const char* name : kVersionNames) {
        if (bytes == bytesOf(s, name)) return name;
    }
    return "(torn)";
}

Versions versionsIn(const Scenario& s, const TempFolder& folder) {
    const auto read = [&](const char* name) {
        return fs::exists(folder / name) ? nameOf(s, readBytes(folder / name))
                                         : std::string("(none)");
    };
    return {read("part.dxf"), read("part.bak")};
}

// Saves "the new version" as the writer of drawings does: where the drawing is large, its
// stretches around the name come from the drawing as read.
void save(const Scenario& s, const fs::path& file) {
    FileLock lock(file);
    FileContent original = readFileContent(file);
    ReplacementFile replacement(file, backupPathOf(file), lock, original.opened());
    if (!s.stretches) {
        replacement.write("the new version");
    } else {
        if (replacement.byCopying()) original.detach(file);
        const std::size_t name = std::string_view("the old version").size();
        replacement.writeStretch(original, 0, kStretch);
        replacement.write("the new version");
        replacement.writeStretch(original, kStretch + name, kStretch);
    }
    replacement.commit();
}

// The folder before the run: the drawing "the old version", its backup "the older backup" (for a
// restore: the drawing "the new version", its backup "the old version").
std::vector<std::string> setUp(const Scenario& s, const TempFolder& folder) {
    writeBytes(folder / "part.dxf", bytesOf(s, s.restore ? "the new version" : "the old version"));
    writeBytes(folder / "part.bak", bytesOf(s, s.restore ? "the old version" : "the older backup"));
    std::vector<std::string> names{"part.bak", "part.dxf"};
    if (s.hardLinked) {
        fs::create_hard_link(folder / "part.dxf", folder / "second name.dxf");
        names.emplace_back("second name.dxf");
    }
    return names;
}

struct Ending {
    int outcome = kCompleted;  // or kFailed; or the process ended at the planned call
    std::optional<Failure> failure{};
    std::uint32_t win32Code = 0;  // of the failure
    int calls = 0;                // the interposed calls it made
    std::vector<interposer::Event> events{};
};

Ending run(const Scenario& s, const fs::path& drawing, interposer::Plan plan) {
    plan.noExchange = s.noExchange;
    Ending result;
    interposer::events = &result.events;
    interposer::arm(std::move(plan));
    try {
        if (s.restore) {
            restoreBackup(drawing);
        } else if (s.table) {
            replaceContent(drawing, "the new version");
        } else {
            save(s, drawing);
        }
    } catch (const Error& error) {
        result.outcome = kFailed;
        result.failure = error.failure();
        result.win32Code = error.win32Code();
    }
    result.calls = interposer::disarm();
    interposer::events = nullptr;
    return result;
}

// The drawing and its backup as the scenario may leave them after a run that ended `outcome`,
// once the next run has settled its leftovers.
bool settledAsAllowed(const Scenario& s, const Versions& v, int outcome) {
    const Versions before = s.restore ? Versions{"the new version", "the old version"}
                                      : Versions{"the old version", "the older backup"};
    const Versions after = s.restore ? Versions{"the old version", "the new version"}
                           : s.table ? Versions{"the new version", "the older backup"}
                                     : Versions{"the new version", "the old version"};
    const bool asBefore = v.drawing == before.drawing && v.backup == before.backup;
    const bool asAfter = v.drawing == after.drawing && v.backup == after.backup;
    if (outcome == kFailed) return asBefore;
    if (outcome == kCompleted) return asAfter;
    // Killed: either, or (saving by copying) torn with the old version as the backup.
    const bool torn = !s.restore && !s.table && v.backup == "the old version";
    return asBefore || asAfter || torn;
}

TEST(CrashPoints, EveryMomentLeavesTheOldOrTheNewVersionAndTheNextRunKeepsEveryVersion) {
    for (const Scenario& s : kScenarios) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE(std::string(s.what) + ", killed at call " + std::to_string(at));
            TempFolder folder;
            const std::vector<std::string> names = setUp(s, folder);
            const int status = testing_support::runInChildProcess([&] {
                return run(s, folder / "part.dxf", {at, interposer::Plan::Act::kKill}).outcome;
            });
            ASSERT_TRUE(status == interposer::kKilledStatus || status == kCompleted) << status;
            const Versions killed = versionsIn(s, folder);
            EXPECT_TRUE(killed.drawing == "the old version" ||
                        killed.drawing == "the new version" || killed.backup == "the old version")
                << killed.drawing << " / " << killed.backup;
            tidyAfterKilledSaves(folder / "part.dxf");
            const Versions settled = versionsIn(s, folder);
            EXPECT_TRUE(settledAsAllowed(s, settled, status == kCompleted ? kCompleted : -1))
                << settled.drawing << " / " << settled.backup;
            EXPECT_EQ(folder.names(), names);
            if (status == kCompleted) break;
        }
    }
}

// The cause a first call of its kind failing in a save stands for, numbered as Windows numbers it.
struct Cause {
    const char* what;
    const char* scenario;
    const char* call;
    int error;
    std::uint32_t win32Code;
};
constexpr Cause kCauses[] = {
    {"a size FAT through FUSE cannot set", "save by copying", "truncate", EPERM, 50},
    {"a write refused", "save by copying", "write", EPERM, 5},
    {"a full disk", "save", "write", ENOSPC, 112},
    {"a device failing", "save", "write", EIO, 29},
};

// Whether the call that failed at `at` is the first of its kind the run made.
bool firstOfItsKind(const std::vector<interposer::Event>& events, int at) {
    const auto failed = events.begin() + (at - 1);
    return std::none_of(events.begin(), failed,
                        [&](const interposer::Event& e) { return e.call == failed->call; });
}

TEST(CrashPoints, AFailingCallLeavesTheFolderAsBeforeOrTheRunCompleteAndNamesItsCause) {
    std::set<std::string_view> causesMet;
    for (const Scenario& s : kScenarios) {
        // The last two say the kernel cannot copy between the files: the save writes instead.
        for (const int error : {ENOSPC, EIO, EPERM, EXDEV, EOPNOTSUPP}) {
            for (int at = 1;; ++at) {
                SCOPED_TRACE(std::string(s.what) + ", " + std::strerror(error) + " at call " +
                             std::to_string(at));
                TempFolder folder;
                const std::vector<std::string> names = setUp(s, folder);
                const Ending r =
                    run(s, folder / "part.dxf", {at, interposer::Plan::Act::kFail, error});
                tidyAfterKilledSaves(folder / "part.dxf");
                const Versions v = versionsIn(s, folder);
                EXPECT_TRUE(settledAsAllowed(s, v, r.outcome)) << v.drawing << " / " << v.backup;
                EXPECT_EQ(folder.names(), names);
                const bool cannotCopy = error == EXDEV || error == EOPNOTSUPP;
                if (cannotCopy && r.calls >= at && r.events[at - 1].call == "copy") {
                    EXPECT_EQ(r.outcome, kCompleted) << "written where the kernel cannot copy";
                }
                for (const Cause& cause : kCauses) {
                    if (cause.scenario == std::string_view(s.what) && cause.error == error &&
                        r.calls >= at && r.events[at - 1].call == cause.call &&
                        firstOfItsKind(r.events, at)) {
                        SCOPED_TRACE(cause.what);
                        causesMet.insert(cause.what);
                        EXPECT_EQ(r.failure, Failure::kSystem);
                        EXPECT_EQ(r.win32Code, cause.win32Code);
                    }
                }
                // Past the last call the plan never fires: a whole save, where the kernel copied
                // into the new version, and never into a file being overwritten.
                if (r.calls < at) {
                    struct stat saved {};
                    ::stat((folder / "part.dxf").c_str(), &saved);
                    const bool copiedIntoSaved = std::any_of(
                        r.events.begin(), r.events.end(),
                        [&](const auto& e) { return e.call == "copy" && e.inode == saved.st_ino; });
                    if (!s.restore) {
                        EXPECT_EQ(copiedIntoSaved, s.stretches && !s.hardLinked);
                    }
                    break;
                }
            }
        }
    }
    for (const Cause& cause : kCauses) EXPECT_TRUE(causesMet.contains(cause.what)) << cause.what;
}

// Another program putting a link to someone else's file under the drawing's name at any moment
// of a save: the save refuses or has already put its version there, and the file the link leads
// to is never written.
TEST(CrashPoints, ALinkPutInTheDrawingsPlaceAtAnyMomentIsNeverWrittenThrough) {
    for (const bool hardLinked : {false, true}) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE(std::string(hardLinked ? "by copying" : "new file") + ", link at call " +
                         std::to_string(at));
            TempFolder folder;
            TempFolder home;
            writeBytes(home / ".profile", "the victim's own file");
            setUp(kScenarios[hardLinked ? 1 : 0], folder);
            const auto plant = [&] {
                fs::create_symlink(home / ".profile", folder / "planted");
                fs::rename(folder / "planted", folder / "part.dxf");
            };
            const Ending r = run(kScenarios[hardLinked ? 1 : 0], folder / "part.dxf",
                                 {at, interposer::Plan::Act::kRun, 0, plant});
            EXPECT_EQ(readBytes(home / ".profile"), "the victim's own file");
            EXPECT_EQ(home.names(), std::vector<std::string>{".profile"});
            if (r.outcome == kFailed) {
                EXPECT_EQ(r.failure, Failure::kReplaced);
            }
            if (r.calls < at) break;
        }
    }
}

// Someone who saw the hidden names of one run and made folders under them (which no run can
// remove) stops no later run: its names are new each time and taken only where free, and the mark,
// the one name every run shares, serves as a mark whatever it is.
TEST(CrashPoints, HiddenNamesSomeoneTookInAdvanceStopNoLaterRun) {
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.what);
        TempFolder folder;
        std::vector<std::string> names = setUp(s, folder);
        const auto hiddenNamesOfARun = [&] {
            const Ending r = run(s, folder / "part.dxf", {});
            EXPECT_EQ(r.outcome, kCompleted) << (r.failure ? static_cast<int>(*r.failure) : -1);
            std::set<std::string> hidden;
            for (const interposer::Event& e : r.events) {
                if (e.name.rfind(".~", 0) == 0) hidden.insert(e.name);
            }
            return hidden;
        };
        const std::set<std::string> first = hiddenNamesOfARun();
        for (const std::string& name : first) {
            fs::create_directories(folder / name / "someone else's");
            names.push_back(name);
        }
        const std::set<std::string> second = hiddenNamesOfARun();
        for (const std::string& name : second) {
            if (name != markOf("part.dxf")) {
                EXPECT_EQ(first.count(name), 0U) << name;
            }
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(folder.names(), names);
        // Two restores undo each other; two saves write the same version.
        EXPECT_TRUE(readBytes(folder / "part.dxf") == bytesOf(s, "the new version"));
    }
}

}  // namespace
}  // namespace storage
