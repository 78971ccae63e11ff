#include "ops/reported_batch.h"

#include <gtest/gtest.h>

#include "fake_cad.h"
#include "ops/batch_list.h"

namespace ops {
namespace {

using testing_support::insert;
using testing_support::line;

// Records what the batch reports, in order.
struct Recorder : BatchObserver {
    void onChange(const DrawingJob& job, const std::u16string& tag, const std::u16string& oldValue,
                  const std::u16string& newValue) override {
        events.push_back("change " + testing_support::utf8(job.path) + " " +
                         testing_support::utf8(tag) + " " + testing_support::utf8(oldValue) + ">" +
                         testing_support::utf8(newValue));
    }
    void onDrawing(std::size_t index, const DrawingJob& job,
                   const DrawingOutcome& outcome) override {
        static const char* const kNames[] = {"saved", "unchanged", "no title block", "failed"};
        events.push_back(std::to_string(index) + " " + testing_support::utf8(job.path) + " " +
                         kNames[static_cast<int>(outcome.result)] + " " +
                         std::to_string(outcome.changed) + "/" + std::to_string(outcome.unchanged));
    }
    std::vector<std::string> events;
};

struct Drawings {
    testing_support::Log log;
    testing_support::Cad cad{log};
    Recorder recorder;
    std::size_t reported = 0;
    testing_support::Files files{cad};

    Drawings() {
        cad.addDrawing(u"new", {line(), insert({{u"零件名称", u"旧"}, {u"签名1", u"张"}})});
        cad.addDrawing(u"same", {insert({{u"零件名称", u"轴"}})});
        cad.addDrawing(u"none", {line(), insert({{u"材料", u"钢"}})});
        cad.addDrawing(u"readonly", {insert({{u"零件名称", u"旧"}})});
        cad.drawing(u"readonly").readOnly = true;
    }
    void run(const std::vector<std::u16string>& paths, BatchOptions options) {
        std::vector<DrawingJob> jobs;
        // 签名1 empty: left alone, as an empty field is in the window.
        for (const auto& p : paths) jobs.push_back({p, {{22, u"轴"}, {15, u""}}});
        reported = runReportedBatch(cad.connect(), jobs, options, recorder, files);
    }
    int saves(const std::u16string& path) { return cad.drawing(path).saves; }
};

TEST(ReportedBatch, ReportsEachDrawingAndSavesOnlyThoseThatChange) {
    const struct {
        const char* name;
        std::vector<std::u16string> paths;
        BatchOptions options;
        std::vector<std::string> events;
        std::size_t reported;
        int newSaves;
    } cases[] = {
        {"saved, unchanged, no title block",
         {u"new", u"same", u"none"},
         {},
         {"change new 零件名称 旧>轴", "0 new saved 1/1", "1 same unchanged 0/1",
          "2 none no title block 0/0"},
         3,
         1},
        {"dry run: the same report, nothing written or saved",
         {u"new", u"same"},
         {.dryRun = true},
         {"change new 零件名称 旧>轴", "0 new saved 1/1", "1 same unchanged 0/1"},
         2,
         0},
        {"a failure stops the batch: later drawings are not opened",
         {u"readonly", u"missing", u"new"},
         {},
         {"change readonly 零件名称 旧>轴", "0 readonly failed 0/0"},
         1,
         0},
        {"keep going: every drawing is tried",
         {u"readonly", u"missing", u"new"},
         {.keepGoing = true},
         {"change readonly 零件名称 旧>轴", "0 readonly failed 0/0", "1 missing failed 0/0",
          "change new 零件名称 旧>轴", "2 new saved 1/1"},
         3,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Drawings r;
        r.run(c.paths, c.options);
        EXPECT_EQ(r.recorder.events, c.events);
        EXPECT_EQ(r.reported, c.reported);
        EXPECT_EQ(r.saves(u"new"), c.newSaves);
        EXPECT_EQ(r.saves(u"same"), 0);
        EXPECT_EQ(r.saves(u"none"), 0);
        const auto& written = r.cad.drawing(u"new").modelSpace.at(1).attributes;
        EXPECT_EQ(written.at(0).value, c.newSaves == 1 ? u"轴" : u"旧");
        EXPECT_EQ(written.at(1).value, u"张");
    }
}

TEST(ReportedBatch, SavesTheDrawingItOpenedWhereEachDrawingHasItsOwnDocument) {
    Drawings r;
    r.cad.documentPerDrawing = true;
    r.run({u"new", u"same"}, {});
    EXPECT_EQ(r.saves(u"new"), 1);
    EXPECT_EQ(r.cad.drawing(u"new").savedModelSpace.at(1).attributes.at(0).value, u"轴");
    EXPECT_EQ(r.saves(u"Drawing1.dwg"), 0);
}

// One file reached twice (here through a link) is written once; had the two listings different
// values, writing once would silently drop one of them, so such a list is refused unopened.
TEST(ReportedBatch, AFileListedTwiceIsWrittenOnceOrRefusedWhenItsValuesDiffer) {
    for (const bool sameValues : {true, false}) {
        SCOPED_TRACE(sameValues ? "same values" : "other values");
        Drawings r;
        r.files.links[u"link"] = u"new";
        const std::vector<DrawingJob> jobs{{u"new", {{22, u"轴"}}},
                                           {u"link", {{22, sameValues ? u"轴" : u"杆"}}}};
        const auto run = [&] {
            return runReportedBatch(r.cad.connect(), jobs, {}, r.recorder, r.files);
        };
        if (sameValues) {
            EXPECT_EQ(run(), 2U);
            EXPECT_EQ(r.saves(u"new"), 1);
        } else {
            EXPECT_THROW(run(), BatchListError);
            EXPECT_EQ(r.log, (testing_support::Log{}));
        }
    }
}

TEST(ReportedBatch, ReadsTheTitleBlockValuesLaterAttributesWinning) {
    Drawings r;
    r.cad.addDrawing(u"two", {insert({{u"零件名称", u"甲"}, {u"材料", u"钢"}}),
                              insert({{u"零件名称", u"乙"}, {u"审核签字", u""}})});
    EXPECT_EQ(readTitleBlockValues(r.cad.connect(), u"two"),
              (std::map<int, std::u16string>{{22, u"乙"}, {28, u""}}));
    EXPECT_TRUE(readTitleBlockValues(r.cad.connect(), u"none").empty());
}

}  // namespace
}  // namespace ops
