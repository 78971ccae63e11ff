#include "ops/batch_update.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cad/error.h"
#include "fake_batch.h"

namespace ops {
namespace {

using testing_support::insert;
using testing_support::line;

using Batch = testing_support::FakeBatch;

TEST(BatchUpdate, MakesTheCallsInOrderAndReadsEachFieldWhenWriting) {
    Batch b;
    b.form.texts[22] = u"轴";
    b.cad.addDrawing(u"/d/a.dxf", {line(), insert({{u"零件名称", u"old"}, {u"其他", u"x"}})});

    b.run({u"/d/a.dxf"});

    EXPECT_EQ(b.log, (testing_support::Log{"Max 1", "Open /d/a.dxf", "ActiveDocument", "ModelSpace",
                                           "Count", "Item 0", "EntityName", "Item 1", "EntityName",
                                           "GetAttributes", "TagString", "Text22", "TextString=轴",
                                           "TagString", "Save", "Value 1"}));
}

TEST(BatchUpdate, WritesNonEmptyFieldsIntoEveryMatchingAttribute) {
    Batch b;
    b.form.texts[28] = u"王工";  // 审核签字
    b.form.texts[22] = u"";      // emptied by the user: 零件名称 stays
    // Text1 (版本号5) keeps the start-up space, which is written.
    const std::u16string path = u"/图纸 目录/part 1.dxf";
    b.cad.addDrawing(path, {
                               insert({{u"审核签字", u"a"}, {u"零件名称", u"keep"}}),
                               insert({{u"审核签字", u"b"}, {u"版本号5", u"B"}}),
                               insert({{u"审核签字 ", u"not a tag"}}),
                           });

    b.run({path});

    EXPECT_EQ(b.saved(path, 0, 0), u"王工");
    EXPECT_EQ(b.saved(path, 0, 1), u"keep");
    EXPECT_EQ(b.saved(path, 1, 0), u"王工");
    EXPECT_EQ(b.saved(path, 1, 1), u" ");
    EXPECT_EQ(b.saved(path, 2, 0), u"not a tag");
}

TEST(BatchUpdate, SavesEveryDrawingEvenWhenNothingChanges) {
    Batch b;
    for (auto& [field, text] : b.form.texts) text.clear();
    b.cad.addDrawing(u"/a.dxf", {insert({{u"零件名称", u"x"}})});
    b.cad.addDrawing(u"/b.dxf", {line()});

    b.run({u"/a.dxf", u"/b.dxf"});

    EXPECT_EQ(b.cad.drawing(u"/a.dxf").saves, 1);
    EXPECT_EQ(b.cad.drawing(u"/b.dxf").saves, 1);
    EXPECT_EQ(b.saved(u"/a.dxf", 0, 0), u"x");
}

// Where the CAD application keeps several drawings open, the document start-up found is not the
// one just opened: saving that one would leave every drawing of the batch unsaved.
TEST(BatchUpdate, SavesTheDrawingItOpenedWhereEachDrawingHasItsOwnDocument) {
    Batch b;
    b.cad.documentPerDrawing = true;
    b.form.texts[22] = u"轴";
    b.cad.addDrawing(u"/a.dxf", {insert({{u"零件名称", u"x"}})});
    b.cad.addDrawing(u"/b.dxf", {insert({{u"零件名称", u"y"}})});

    b.run({u"/a.dxf", u"/b.dxf"});

    EXPECT_EQ(b.saved(u"/a.dxf", 0, 0), u"轴");
    EXPECT_EQ(b.saved(u"/b.dxf", 0, 0), u"轴");
    EXPECT_EQ(b.cad.drawing(u"Drawing1.dwg").saves, 0);
}

TEST(BatchUpdate, AdvancesTheBarAfterEachSaveWithoutResettingIt) {
    Batch b;
    for (const auto* p : {u"/1.dxf", u"/2.dxf", u"/3.dxf"}) b.cad.addDrawing(p, {});
    b.bar.value = 7;  // left by an earlier operation

    b.run({u"/1.dxf", u"/2.dxf", u"/3.dxf"});

    testing_support::Log bar;
    for (const auto& call : b.log) {
        if (call.starts_with("Max") || call.starts_with("Value") || call == "Save") {
            bar.push_back(call);
        }
    }
    EXPECT_EQ(bar, (testing_support::Log{"Max 3", "Save", "Value 1", "Save", "Value 2", "Save",
                                         "Value 3"}));
}

TEST(BatchUpdate, StopsAtTheFirstFailure) {
    struct Case {
        const char* name;
        bool secondMissing;
        bool secondReadOnly;
    };
    const Case cases[] = {
        {"second cannot be opened", true, false},
        {"second cannot be saved", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Batch b;
        b.form.texts[22] = u"new";
        for (const auto* p : {u"/1.dxf", u"/2.dxf", u"/3.dxf"}) {
            b.cad.addDrawing(p, {insert({{u"零件名称", u"old"}})});
        }
        if (c.secondMissing) b.cad.drawings.erase(u"/2.dxf");
        if (c.secondReadOnly) b.cad.drawing(u"/2.dxf").readOnly = true;

        EXPECT_THROW(b.run({u"/1.dxf", u"/2.dxf", u"/3.dxf"}), cad::Error);

        EXPECT_EQ(b.saved(u"/1.dxf", 0, 0), u"new");
        if (!c.secondMissing) {
            EXPECT_EQ(b.saved(u"/2.dxf", 0, 0), u"old");
        }
        EXPECT_EQ(b.cad.drawing(u"/3.dxf").modelSpace.at(0).attributes.at(0).value, u"old");
        EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Open /3.dxf"), 0);
        EXPECT_EQ(b.bar.value, 1);
    }
}

TEST(BatchUpdate, WithoutADocumentFailsAtTheFirstOpen) {
    Batch b;
    b.cad.addDrawing(u"/a.dxf", {});
    b.connection.acadDoc.reset();
    try {
        b.run({u"/a.dxf"});
        ADD_FAILURE() << "no failure";
    } catch (const cad::Error& e) {
        EXPECT_EQ(e.number(), cad::errc::kObjectNotSet);
    }
    EXPECT_EQ(b.log, testing_support::Log{"Max 1"});
}

TEST(BatchUpdate, WalksModelSpacesBeyond32767Entities) {
    Batch b;
    b.form.texts[23] = u"ZD-01";
    std::vector<testing_support::EntityData> entities(40000, line());
    entities.back() = insert({{u"零件代号", u""}});
    b.cad.addDrawing(u"/big.dxf", std::move(entities));

    b.run({u"/big.dxf"});

    EXPECT_EQ(b.saved(u"/big.dxf", 39999, 0), u"ZD-01");
}

TEST(BatchUpdate, ACountBeyondTheListFailsInsteadOfReadingPastIt) {
    Batch b;
    b.cad.addDrawing(u"/a.dxf", {});
    const std::vector<std::u16string> FileList{u"/a.dxf", u"/a.dxf"};
    try {
        batchUpdate(b.connection, FileList, 2, b.bar, b.form, b.files);
        ADD_FAILURE() << "no failure";
    } catch (const cad::Error& e) {
        EXPECT_EQ(e.number(), cad::errc::kBadIndex);
    }
    EXPECT_EQ(b.cad.drawing(u"/a.dxf").saves, 1);
}

}  // namespace
}  // namespace ops
