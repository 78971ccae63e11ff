// A batch never overwrites its own inputs: a list whose saves would keep a backup under the name
// or in the file of another listed drawing is refused before anything is opened, and a file
// listed twice is written once.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fake_batch.h"
#include "ops/batch_list.h"
#include "ops/batch_update.h"
#include "ops/reported_batch.h"

namespace ops {
namespace {

struct ListCase {
    const char* name;
    std::vector<std::u16string> drawings;  // all exist
    std::map<std::u16string, std::u16string> links;
    std::vector<std::u16string> listed;
    bool foldsCase = false;  // the folder takes names in any letter case as one
};

struct Batch : testing_support::FakeBatch {
    explicit Batch(const ListCase& c) {
        form.texts[22] = u"new";
        for (const auto& path : c.drawings)
            cad.addDrawing(path, {testing_support::insert({{u"零件名称", u"old"}})});
        files.links = c.links;
        files.foldsCase = c.foldsCase;
        log.clear();
    }
};

TEST(BatchList, AListThatWouldOverwriteItsOwnInputsIsRefusedBeforeAnythingOpens) {
    const ListCase cases[] = {
        {"a drawing and its backup", {u"/x.dxf", u"/x.bak"}, {}, {u"/x.dxf", u"/x.bak"}},
        {"the backup first", {u"/x.dxf", u"/x.bak"}, {}, {u"/x.bak", u"/x.dxf"}},
        {"a backup not made yet", {u"/x.dxf"}, {}, {u"/x.dxf", u"/x.bak"}},
        {"two drawings, one backup", {u"/p.dxf", u"/p.DXF"}, {}, {u"/p.dxf", u"/p.DXF"}},
        // In any run: the other's save, before or after, would replace this one's backup.
        {"one backup with a drawing beside, not listed", {u"/p.dxf", u"/p.DXF"}, {}, {u"/p.DXF"}},
        {"a drawing and the same name without extension",
         {u"/p.dxf", u"/p"},
         {},
         {u"/p", u"/p.dxf"}},
        {"the backup is a link to another listed drawing",
         {u"/a.dxf", u"/b.dxf"},
         {{u"/a.bak", u"/b.dxf"}},
         {u"/a.dxf", u"/b.dxf"}},
        {"a listed link where the backup goes",
         {u"/a.dxf"},
         {{u"/a.bak", u"/a.dxf"}},
         {u"/a.dxf", u"/a.bak"}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        Batch b(c);
        try {
            b.run(c.listed);
            ADD_FAILURE() << "the list was not refused";
        } catch (const BatchListError& e) {
            EXPECT_EQ(e.number(), cad::errc::kBatchListConflict);
            EXPECT_NE(e.description().find(u"没有打开任何图形"), std::u16string::npos);
        }
        EXPECT_EQ(b.log, testing_support::Log{});  // not even the bar moved
        for (const auto& path : c.drawings) EXPECT_EQ(b.cad.drawing(path).saves, 0);
    }
}

TEST(BatchList, AFileListedAgainIsWrittenOnceAndTheBarStillCountsEveryEntry) {
    const ListCase cases[] = {
        {"the same path twice", {u"/a.dxf"}, {}, {u"/a.dxf", u"/a.dxf"}},
        {"through a link", {u"/a.dxf"}, {{u"/l.dxf", u"/a.dxf"}}, {u"/a.dxf", u"/l.dxf"}},
        {"a link first", {u"/a.dxf"}, {{u"/l.dxf", u"/a.dxf"}}, {u"/l.dxf", u"/a.dxf"}},
        {"two spellings the folder takes as one, numbered apart",
         {u"/a.dxf", u"/A.DXF"},
         {},
         {u"/a.dxf", u"/A.DXF"},
         true},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        Batch b(c);
        b.cad.addDrawing(u"/l.dxf", {});  // what opening the link would reach in the fake
        b.run(c.listed);
        const auto opens = std::count_if(b.log.begin(), b.log.end(), [](const std::string& call) {
            return call.starts_with("Open");
        });
        EXPECT_EQ(opens, 1);
        EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Save"), 1);
        EXPECT_EQ(b.bar.value, 2);
    }
}

// Through the command line's door each listing has its own values: writing such a file once would
// silently drop one of them, so the list is refused unopened unless they agree.
TEST(BatchList, AFileListedTwiceWithOtherValuesIsRefusedBeforeAnythingOpens) {
    for (const bool sameValues : {true, false}) {
        SCOPED_TRACE(sameValues ? "same values" : "other values");
        Batch b({"", {u"/a.dxf"}, {{u"/l.dxf", u"/a.dxf"}}, {}});
        const std::vector<DrawingJob> jobs{{u"/a.dxf", {{22, u"轴"}}},
                                           {u"/l.dxf", {{22, sameValues ? u"轴" : u"杆"}}}};
        struct : BatchObserver {
            void onDrawing(std::size_t, const std::u16string&, const DrawingOutcome&) override {}
        } unwatched;
        const auto run = [&] {
            return runReportedBatch(b.connection, jobs, {}, unwatched, b.files);
        };
        if (sameValues) {
            EXPECT_EQ(run(), 2U);
            EXPECT_EQ(b.cad.drawing(u"/a.dxf").saves, 1);
        } else {
            EXPECT_THROW(run(), BatchListError);
            EXPECT_EQ(b.log, testing_support::Log{});
        }
    }
}

TEST(BatchList, DrawingsWithTheirOwnBackupsApartPass) {
    const std::vector<std::u16string> paths{u"/a.dxf", u"/b.dxf", u"/a.bak.dxf", u"/x.bak"};
    Batch b({"", paths, {}, {}});
    // x.bak keeps its previous version as x.bak.bak; a.bak.dxf as a.bak.bak.
    b.run(paths);
    for (const auto& path : paths) EXPECT_EQ(b.cad.drawing(path).saves, 1);
}

}  // namespace
}  // namespace ops
