// The one batch loop, through its two doors: the window's (every field that is not empty, every
// drawing saved, the first failure thrown) and the command line's (each job's values, only
// changed drawings saved, every drawing told).
#include "ops/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "cad/error.h"
#include "fake_cad.h"
#include "ops/batch_update.h"
#include "ops/reported_batch.h"

namespace ops {
namespace {

using testing_support::insert;
using testing_support::line;
using testing_support::Log;
using testing_support::utf8;

enum class Front { kWindow, kCommandLine, kDryRun, kKeepGoing, kGuarded, kLayouts };
enum class Twist { kNone, kDocumentPerDrawing, kNoDocument, kFourWorkers };

// Puts what the batch tells into the call log; for the window it also moves the bar, as the
// window does.
class Recorder : public BatchObserver {
public:
    Recorder(Log& log, BatchObserver* bar) : log_(log), bar_(bar) {}
    void onStart(std::size_t drawings) override {
        if (bar_) bar_->onStart(drawings);
    }
    void onChange(const std::u16string& path, const std::u16string& tag,
                  const std::u16string& oldValue, const std::u16string& newValue) override {
        log_.push_back("change " + utf8(path) + " " + utf8(tag) + " " + utf8(oldValue) + ">" +
                       utf8(newValue));
    }
    void onDrawing(std::size_t index, const std::u16string& path,
                   const DrawingOutcome& outcome) override {
        if (bar_) bar_->onDrawing(index, path, outcome);
        static const char* const kNames[] = {"saved", "unchanged", "no title block", "failed"};
        log_.push_back("report " + std::to_string(index) + " " + utf8(path) + " " +
                       kNames[static_cast<int>(outcome.result)] + " " +
                       std::to_string(outcome.changed) + "/" + std::to_string(outcome.unchanged));
    }

private:
    Log& log_;
    BatchObserver* bar_;
};

// Drawings of every kind, and the values both doors write: 零件名称, 审核签字 and 零件代号, 版本号5
// as one space (a field left as start-up set it), and 签名1 empty, which leaves it alone.
struct Drawings {
    Log log;
    testing_support::Cad cad{log};
    cad::Connection connection = cad.connect();
    testing_support::Bar bar{log};
    testing_support::Form form{log, u""};
    testing_support::Files files{cad};
    const std::map<int, std::u16string> values{
        {22, u"轴"}, {28, u"王工"}, {23, u"ZD-01"}, {1, u" "}, {15, u""}};

    Drawings() {
        cad.addDrawing(u"new", {line(), insert({{u"零件名称", u"旧"}, {u"签名1", u"张"}})});
        cad.addDrawing(u"same", {insert({{u"零件名称", u"轴"}})});
        cad.addDrawing(u"none", {line(), insert({{u"材料", u"钢"}})});
        cad.addDrawing(u"readonly", {insert({{u"零件名称", u"旧"}})});
        cad.drawing(u"readonly").readOnly = true;
        cad.addDrawing(u"two", {insert({{u"审核签字", u"a"}, {u"签名1", u"keep"}}),
                                insert({{u"审核签字", u"b"}, {u"版本号5", u"B"}}),
                                insert({{u"审核签字 ", u"not a tag"}})});
        std::vector<testing_support::EntityData> big(40000, line());
        big.back() = insert({{u"零件代号", u""}});
        cad.addDrawing(u"big", std::move(big));
        // A title block only in paper space, in two layouts.
        cad.addDrawing(u"paper", {line()});
        cad.drawing(u"paper").layouts = {{insert({{u"零件名称", u"旧"}})},
                                         {line(), insert({{u"零件代号", u"x"}})}};
        cad.drawing(u"paper").savedLayouts = cad.drawing(u"paper").layouts;
        for (const auto& [field, text] : values) form.texts[field] = text;
        bar.value = 7;  // left by an earlier operation
    }

    // The values of every attribute the drawing's file holds, model space first, in order,
    // joined by '|'.
    std::string saved(const std::u16string& path) {
        const testing_support::Drawing& drawing = cad.drawing(path);
        std::vector<std::vector<testing_support::EntityData>> spaces{drawing.savedModelSpace};
        spaces.insert(spaces.end(), drawing.savedLayouts.begin(), drawing.savedLayouts.end());
        std::string joined;
        for (const auto& space : spaces) {
            for (const auto& entity : space) {
                for (const auto& attribute : entity.attributes) {
                    joined += (joined.empty() ? "" : "|") + utf8(attribute.value);
                }
            }
        }
        return joined;
    }
};

// The calls that show what a batch did: opens, writes, saves, the bar and the reports; the
// walk's own calls are left out.
Log outline(const Log& log) {
    Log kept;
    for (const std::string& call : log) {
        if (call.starts_with("Open") || call.starts_with("TextString=") || call == "Save" ||
            call.starts_with("Max") || call.starts_with("Value") || call.starts_with("change") ||
            call.starts_with("report")) {
            kept.push_back(call);
        }
    }
    return kept;
}

TEST(Batch, EachDoorWritesSavesAndTellsEachDrawingByItsPolicy) {
    const struct {
        const char* name;
        Front front;
        std::vector<std::u16string> paths;
        Log log;  // the outline, or every call when `wholeLog`
        std::map<std::u16string, std::string> saved;
        std::optional<std::int32_t> thrown = std::nullopt;  // by the window's door
        Twist twist = Twist::kNone;
        bool wholeLog = false;
    } cases[] = {
        {"window: the calls in order, each field read as its attribute is reached",
         Front::kWindow,
         {u"new"},
         {"Max 1", "Open new", "ActiveDocument", "ModelSpace", "Count", "Item 0", "EntityName",
          "Item 1", "EntityName", "GetAttributes", "TagString", "Text22", "TextString=轴",
          "TagString", "Text15", "Save", "Value 1", "report 0 new saved 1/1"},
         {{u"new", "轴|张"}},
         std::nullopt,
         Twist::kNone,
         true},
        {"window: every drawing saved, changed or not, and counted on the bar after its save",
         Front::kWindow,
         {u"new", u"same", u"none", u"two"},
         {"Max 4",
          "Open new",
          "TextString=轴",
          "Save",
          "Value 1",
          "report 0 new saved 1/1",
          "Open same",
          "TextString=轴",
          "Save",
          "Value 2",
          "report 1 same saved 1/0",
          "Open none",
          "Save",
          "Value 3",
          "report 2 none no title block 0/0",
          "Open two",
          "TextString=王工",
          "TextString=王工",
          "TextString= ",
          "Save",
          "Value 4",
          "report 3 two saved 3/1"},
         {{u"new", "轴|张"}, {u"same", "轴"}, {u"two", "王工|keep|王工| |not a tag"}}},
        {
            "command line: a value already there is not written, and only changed drawings saved",
            Front::kCommandLine,
            {u"new", u"same", u"none", u"two"},
            {"Open new", "TextString=轴", "Save", "change new 零件名称 旧>轴",
             "report 0 new saved 1/1", "Open same", "report 1 same unchanged 0/1", "Open none",
             "report 2 none no title block 0/0", "Open two", "TextString=王工", "TextString=王工",
             "TextString= ", "Save", "change two 审核签字 a>王工", "change two 审核签字 b>王工",
             "change two 版本号5 B> ", "report 3 two saved 3/1"},
            {{u"new", "轴|张"}, {u"two", "王工|keep|王工| |not a tag"}},
        },
        {
            "layouts: their title blocks are written after model space's, in tab order",
            Front::kLayouts,
            {u"paper", u"new"},
            {"Open paper", "TextString=轴", "TextString=ZD-01", "Save",
             "change paper 零件名称 旧>轴", "change paper 零件代号 x>ZD-01",
             "report 0 paper saved 2/0", "Open new", "TextString=轴", "Save",
             "change new 零件名称 旧>轴", "report 1 new saved 1/1"},
            {{u"paper", "轴|ZD-01"}, {u"new", "轴|张"}},
        },
        {
            "without layouts a title block in paper space is not found, by either door",
            Front::kCommandLine,
            {u"paper"},
            {"Open paper", "report 0 paper no title block 0/0"},
            {{u"paper", "旧|x"}},
        },
        {"window: paper space is never walked",
         Front::kWindow,
         {u"paper"},
         {"Max 1", "Open paper", "Save", "Value 1", "report 0 paper no title block 0/0"},
         {{u"paper", "旧|x"}}},
        {
            "guarded: one refused value fails its drawing before anything in it is written",
            Front::kGuarded,
            {u"two", u"new"},
            {"Open two", "report 0 two failed 0/0", "Open new", "TextString=轴", "Save",
             "change new 零件名称 旧>轴", "report 1 new saved 1/1"},
            {{u"two", "a|keep|b|B|not a tag"}, {u"new", "轴|张"}},
        },
        {
            "dry run: told the same, nothing written or saved",
            Front::kDryRun,
            {u"new", u"same"},
            {"Open new", "change new 零件名称 旧>轴", "report 0 new saved 1/1", "Open same",
             "report 1 same unchanged 0/1"},
            {{u"new", "旧|张"}},
        },
        {"window: a drawing that cannot be opened ends the batch, thrown",
         Front::kWindow,
         {u"new", u"missing", u"same"},
         {"Max 3", "Open new", "TextString=轴", "Save", "Value 1", "report 0 new saved 1/1",
          "Open missing", "report 1 missing failed 0/0"},
         {{u"new", "轴|张"}},
         -2147024894},
        {"window: a drawing that cannot be saved ends the batch, thrown",
         Front::kWindow,
         {u"new", u"readonly", u"same"},
         {"Max 3", "Open new", "TextString=轴", "Save", "Value 1", "report 0 new saved 1/1",
          "Open readonly", "TextString=轴", "Save", "report 1 readonly failed 0/0"},
         {{u"new", "轴|张"}, {u"readonly", "旧"}},
         -2147024891},
        {
            "command line, one at a time: a failure ends the batch, told: later drawings are not "
            "opened",
            Front::kCommandLine,
            {u"readonly", u"missing", u"new"},
            {"Open readonly", "TextString=轴", "Save", "change readonly 零件名称 旧>轴",
             "report 0 readonly failed 0/0"},
            {{u"readonly", "旧"}, {u"new", "旧|张"}},
        },
        // The workers' own calls are logged apart: only what the batch tells is seen.
        {"command line, four workers: a drawing already begun finishes, told after the failure",
         Front::kCommandLine,
         {u"new", u"missing", u"two"},
         {"change new 零件名称 旧>轴", "report 0 new saved 1/1", "report 1 missing failed 0/0",
          "change two 审核签字 a>王工", "change two 审核签字 b>王工", "change two 版本号5 B> ",
          "report 2 two saved 3/1"},
         {{u"new", "轴|张"}, {u"two", "王工|keep|王工| |not a tag"}},
         std::nullopt,
         Twist::kFourWorkers},
        {
            "keep going: every drawing is tried",
            Front::kKeepGoing,
            {u"readonly", u"missing", u"new"},
            {"Open readonly", "TextString=轴", "Save", "change readonly 零件名称 旧>轴",
             "report 0 readonly failed 0/0", "Open missing", "report 1 missing failed 0/0",
             "Open new", "TextString=轴", "Save", "change new 零件名称 旧>轴",
             "report 2 new saved 1/1"},
            {{u"readonly", "旧"}, {u"new", "轴|张"}},
        },
        // Where the CAD application keeps several drawings open, the document start-up found is
        // not the one just opened: saving that one would leave the drawings of the batch unsaved.
        {"each drawing opened is the one saved, where each has its own document",
         Front::kWindow,
         {u"new", u"same"},
         {"Max 2", "Open new", "TextString=轴", "Save", "Value 1", "report 0 new saved 1/1",
          "Open same", "TextString=轴", "Save", "Value 2", "report 1 same saved 1/0"},
         {{u"new", "轴|张"}},
         std::nullopt,
         Twist::kDocumentPerDrawing},
        {"window: without a document the first open fails",
         Front::kWindow,
         {u"new"},
         {"Max 1", "report 0 new failed 0/0"},
         {{u"new", "旧|张"}},
         cad::errc::kObjectNotSet,
         Twist::kNoDocument},
        {"window: a model space beyond 32767 entities is walked whole",
         Front::kWindow,
         {u"big"},
         {"Max 1", "Open big", "TextString=ZD-01", "Save", "Value 1", "report 0 big saved 1/0"},
         {{u"big", "ZD-01"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Drawings d;
        d.cad.documentPerDrawing = c.twist == Twist::kDocumentPerDrawing;
        if (c.twist == Twist::kFourWorkers) {
            d.cad.servesWorkers = true;
            d.cad.failedOpenAwaits = static_cast<int>(c.paths.size());
        }
        if (c.twist == Twist::kNoDocument) d.connection.acadDoc.reset();
        d.log.clear();

        std::optional<std::int32_t> thrown;
        std::optional<std::size_t> told;
        if (c.front == Front::kWindow) {
            BatchProgress bar(d.bar);
            Recorder recorder(d.log, &bar);
            try {
                batchUpdate(d.connection, c.paths, d.form, recorder, d.files);
            } catch (const cad::Error& e) {
                thrown = e.number();
            }
        } else {
            Recorder recorder(d.log, nullptr);
            std::vector<DrawingJob> jobs;
            for (const auto& path : c.paths) jobs.push_back({path, d.values});
            BatchOptions options;
            options.dryRun = c.front == Front::kDryRun;
            options.keepGoing = c.front == Front::kKeepGoing || c.front == Front::kGuarded;
            options.layouts = c.front == Front::kLayouts;
            options.workers = c.twist == Twist::kFourWorkers ? 4 : 1;
            if (c.front == Front::kGuarded) {
                options.guard = [](const std::vector<ValueChange>& changes) {
                    const bool refused = std::any_of(
                        changes.begin(), changes.end(),
                        [](const ValueChange& change) { return change.current == u"B"; });
                    return refused ? std::optional(cad::Error(cad::errc::kInvalidArgument, u"no"))
                                   : std::nullopt;
                };
            }
            told = runReportedBatch(d.connection, jobs, options, recorder, d.files);
        }

        EXPECT_EQ(c.wholeLog ? d.log : outline(d.log), c.log);
        for (const auto& [path, values] : c.saved) EXPECT_EQ(d.saved(path), values) << utf8(path);
        EXPECT_EQ(thrown, c.thrown);
        // The command line's report counts the drawings it was told of.
        if (told) {
            EXPECT_EQ(*told, static_cast<std::size_t>(std::count_if(
                                 d.log.begin(), d.log.end(), [](const std::string& call) {
                                     return call.starts_with("report");
                                 })));
        }
    }
}

}  // namespace
}  // namespace ops
