#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

#include "dxf/drawing.h"
#include "dxf/error.h"
#include "files.h"
#include "folder_snapshot.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

constexpr std::size_t kTitle = 3;  // the title block's place in the fixtures' model space

// What opening `path` again does while it is open: "locked", "opened" or the error.
std::string secondOpen(const fs::path& path) {
    try {
        Drawing::open(path);
        return "opened";
    } catch (const Error& error) {
        return error.code() == Errc::kLocked ? "locked" : error.what();
    }
}

void putTitle(Drawing& drawing, std::u16string_view value) {
    drawing.putAttributeValue(drawing.entity(kTitle).attributes.front(), value);
}

TEST(DrawingLock, ADrawingIsClaimedAsItsClaimSaysAndItsOwnReopenShares) {
    const struct {
        Claim claim;
        const char* whileOpen;  // what a second open does while the drawing waits, saved or not
    } cases[] = {
        {Claim::kUntilClosed, "locked"},
        {Claim::kWhileBusy, "opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.whileOpen);
        TempFolder folder;
        const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
        std::optional<Drawing> open = Drawing::open(drawing, nullptr, {.claim = c.claim});
        EXPECT_EQ(secondOpen(drawing), c.whileOpen);
        // The engine reopening the drawing it holds (a template that is also in the batch).
        open = Drawing::open(drawing, &*open, {.claim = c.claim});
        EXPECT_EQ(secondOpen(drawing), c.whileOpen);
        // A save keeps the claim on the new version, and a second save finds the file as the
        // first left it.
        for (const std::u16string_view value : {u"第一次", u"第二次"}) {
            putTitle(*open, value);
            open->save();
            EXPECT_EQ(secondOpen(drawing), c.whileOpen);
        }
        open.reset();
        EXPECT_EQ(secondOpen(drawing), "opened");
        const Drawing saved = Drawing::open(drawing);
        EXPECT_EQ(saved.attributeValue(saved.entity(kTitle).attributes.front()), u"第二次");
    }
}

TEST(DrawingLock, AnUnclaimedDrawingIsNotSavedWhileAnotherRunHoldsIt) {
    TempFolder folder;
    const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    Drawing waiting = Drawing::open(drawing, nullptr, {.claim = Claim::kWhileBusy});
    putTitle(waiting, u"新值");
    const Drawing holder = Drawing::open(drawing);
    const auto before = testing_support::snapshotOf(folder.path());
    try {
        waiting.save();
        ADD_FAILURE() << "saved a drawing another run holds";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), Errc::kLocked) << error.what();
    }
    EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
}

// Another program putting something else under the drawing's name between its open and its save:
// the save writes nothing, neither there nor where a link now leads.
TEST(DrawingLock, ASaveRefusesANameThatNoLongerLeadsToTheFileAsRead) {
    const struct {
        const char* what;
        std::function<void(const fs::path& drawing, const fs::path& victim)> otherProgram;
    } changes[] = {
        {"a link to another user's file renamed over it",
         [](const fs::path& d, const fs::path& v) {
             fs::create_symlink(v, d.parent_path() / "planted");
             fs::rename(d.parent_path() / "planted", d);
         }},
        {"a CAD program's save by rename",
         [](const fs::path& d, const fs::path&) {
             writeBytes(d.parent_path() / "their.tmp", readBytes(d) + "\n");
             fs::rename(d.parent_path() / "their.tmp", d);
         }},
        {"a rewrite in place of the same size",
         [](const fs::path& d, const fs::path&) {
             std::string bytes = readBytes(d);
             bytes.back() = bytes.back() == '\n' ? ' ' : '\n';
             writeBytes(d, bytes);
         }},
        {"the file removed", [](const fs::path& d, const fs::path&) { fs::remove(d); }},
    };
    for (const Claim claim : {Claim::kUntilClosed, Claim::kWhileBusy}) {
        // A drawing with a second name is saved by overwriting it in place.
        for (const bool hardLinked : {false, true}) {
            for (const auto& change : changes) {
                SCOPED_TRACE(std::string(change.what) + (hardLinked ? ", hard-linked" : "") +
                             (claim == Claim::kWhileBusy ? ", claimed while busy" : ""));
                TempFolder folder;
                const fs::path drawing =
                    testing_support::copyFixture("titleblock_r2004.dxf", folder);
                if (hardLinked) fs::create_hard_link(drawing, folder / "second name.dxf");
                TempFolder home;
                const fs::path victim = home / ".profile";
                writeBytes(victim, "the victim's own file\n");
                Drawing open = Drawing::open(drawing, nullptr, {.claim = claim});
                putTitle(open, u"新值");
                change.otherProgram(drawing, victim);
                const auto before = testing_support::snapshotOf(folder.path());
                try {
                    open.save();
                    ADD_FAILURE() << "saved over what another program put there";
                } catch (const Error& error) {
                    EXPECT_EQ(error.code(), Errc::kReplaced) << error.what();
                }
                EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
                EXPECT_EQ(readBytes(victim), "the victim's own file\n");
                EXPECT_EQ(home.names(), std::vector<std::string>{".profile"});
            }
        }
    }
}

}  // namespace
}  // namespace dxf
