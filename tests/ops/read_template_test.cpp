#include "ops/read_template.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cad/error.h"
#include "fake_cad.h"

namespace ops {
namespace {

using namespace std::string_literals;
using testing_support::insert;
using testing_support::line;

struct Reader {
    testing_support::Log log;
    testing_support::Cad cad{log};
    cad::Connection connection = cad.connect();
    testing_support::Bar bar{log};
    testing_support::Form form{log};

    void read(const std::u16string& chosen) {
        testing_support::Dialog dialog(log, chosen);
        readTemplate(connection, dialog, bar, form);
    }
};

TEST(ReadTemplate, MakesTheCallsInOrder) {
    Reader r;
    r.cad.addDrawing(u"/t/模板.dxf", {line(), insert({{u"零件名称", u"轴"}, {u"其他", u"x"}})});

    r.read(u"/t/模板.dxf");

    EXPECT_EQ(r.log,
              (testing_support::Log{"ShowOpen", "Open /t/模板.dxf", "ActiveDocument", "ModelSpace",
                                    "Count", "Max 2", "Count", "Item 0", "EntityName", "Item 1",
                                    "EntityName", "GetAttributes", "TagString", "TextString",
                                    "Text22=轴", "TagString", "Value 2"}));
}

TEST(ReadTemplate, CopiesEveryKnownAttributeAndTheLastInsertWins) {
    Reader r;
    r.form.texts[13] = u"kept";
    r.cad.addDrawing(u"/t.dxf", {
                                    insert({{u"零件名称", u"first"}, {u"版本号5", u"A"}}),
                                    line(),
                                    insert({{u"零件名称", u"last"}, {u"产品代号", u""}}),
                                    insert({{u"编制日期", u"label wording"},
                                            {u"版本号５", u"full-width digit"},
                                            {u"签名 3", u"inserted space"}}),
                                });

    r.read(u"/t.dxf");

    std::map<int, std::u16string> expected;
    for (int field = 1; field <= 29; ++field) expected[field] = u" ";
    expected[22] = u"last";  // the later insert in model-space order
    expected[1] = u"A";      // 版本号5 fills Text1
    expected[21] = u"";      // an empty value clears its field
    expected[13] = u"kept";  // no 签名3 anywhere
    EXPECT_EQ(r.form.texts, expected);
    EXPECT_EQ(r.bar.max, 4);
    EXPECT_EQ(r.bar.value, 4);
}

TEST(ReadTemplate, AModelSpaceWithoutBlockReferencesLeavesEveryFieldAndCountsItsEntities) {
    Reader r;
    for (int field = 1; field <= 29; ++field)
        r.form.texts[field] = u"值" + std::u16string(1, static_cast<char16_t>(u'A' + field));
    const auto before = r.form.texts;
    r.cad.addDrawing(u"/no-title.dxf", {line(), {u"AcDbCircle", {}}, {u"AcDbText", {}}});

    r.read(u"/no-title.dxf");

    EXPECT_EQ(r.form.texts, before);
    EXPECT_EQ(std::count_if(r.log.begin(), r.log.end(),
                            [](const std::string& call) { return call.starts_with("Text"); }),
              0);
    EXPECT_EQ(r.bar.max, 3);
    EXPECT_EQ(r.bar.value, 3);
}

TEST(ReadTemplate, NothingChosenMakesNoCadCall) {
    Reader r;
    r.read(u"");
    EXPECT_EQ(r.log, testing_support::Log{"ShowOpen"});
}

TEST(ReadTemplate, EmptyModelSpaceSetsMaxAndValueToZero) {
    Reader r;
    r.cad.addDrawing(u"/empty.dxf", {});
    r.bar.value = 3;
    r.read(u"/empty.dxf");
    EXPECT_EQ(r.bar.max, 0);
    EXPECT_EQ(r.bar.value, 0);
}

TEST(ReadTemplate, WalksModelSpacesBeyond32768Entities) {
    Reader r;
    std::vector<testing_support::EntityData> entities(40000, line());
    entities.back() = insert({{u"审核时间", u"2024-05-01"}});
    r.cad.addDrawing(u"/big.dxf", std::move(entities));

    r.read(u"/big.dxf");

    EXPECT_EQ(r.form.texts[29], u"2024-05-01");
    EXPECT_EQ(r.bar.max, 40000);
    EXPECT_EQ(r.bar.value, 40000);
}

TEST(ReadTemplate, TakesAMultipleSelectionWholeAsOnePath) {
    Reader r;
    r.cad.addDrawing(u"/d/", {});
    r.cad.addDrawing(u"/d/a.dxf", {});
    const std::u16string chosen = u"/d/\0a.dxf\0b.dxf"s;

    EXPECT_THROW(r.read(chosen), cad::Error);
    EXPECT_EQ(r.log, (testing_support::Log{"ShowOpen", "Open " + testing_support::utf8(chosen)}));
}

TEST(ReadTemplate, WithoutAConnectionFailsAtTheOpen) {
    struct Case {
        const char* name;
        bool keepApp;
        bool keepDoc;
        testing_support::Log calls;
    };
    const Case cases[] = {
        {"no document", true, false, {"ShowOpen"}},
        {"nothing connected", false, false, {"ShowOpen"}},
        {"no application", false, true, {"ShowOpen", "Open /t.dxf"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        r.cad.addDrawing(u"/t.dxf", {insert({{u"零件名称", u"轴"}})});
        if (!c.keepApp) r.connection.AcadApp.reset();
        if (!c.keepDoc) r.connection.acadDoc.reset();
        try {
            r.read(u"/t.dxf");
            ADD_FAILURE() << "no failure";
        } catch (const cad::Error& e) {
            EXPECT_EQ(e.number(), cad::errc::kObjectNotSet);
        }
        EXPECT_EQ(r.log, c.calls);
        EXPECT_EQ(r.form.texts[22], u" ");
    }
}

TEST(ReadTemplate, AFailedOpenLeavesTheBarAlone) {
    Reader r;
    EXPECT_THROW(r.read(u"/missing.dxf"), cad::Error);
    EXPECT_EQ(r.bar.max, 100);
    EXPECT_EQ(r.bar.value, 0);
}

}  // namespace
}  // namespace ops
