// The client's object model against the scripted CAD objects in the same process: what the
// client makes of their answers, without marshalling in between (the Wine proof adds that).
#include "cad/win/automation_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "cad/error.h"
#include "server/objects.h"

namespace cad::automation {
namespace {

class AutomationObjects : public testing::Test {
protected:
    AutomationObjects() { connect(); }

    // A fresh application over the sample drawings, the first of them open.
    void connect() {
        session_ = std::make_shared<server::Session>(server::Journal());
        app_ = makeApplication(Dispatch(adopt(server::newApplication(session_)),
                                        std::make_shared<const ComApartment>()));
    }

    static Microsoft::WRL::ComPtr<IDispatch> adopt(IDispatch* object) {
        Microsoft::WRL::ComPtr<IDispatch> held;
        held.Attach(object);
        return held;
    }

    std::shared_ptr<ModelSpace> modelSpace() { return app_->activeDocument()->modelSpace(); }

    // The attributes of model-space entity `index`, taken as a block reference.
    AttributeArray attributesOf(std::int32_t index) {
        return modelSpace()->item(index)->asBlockReference()->getAttributes();
    }

    static Error failureOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const Error& e) {
            return e;
        }
        ADD_FAILURE() << "no failure";
        return {0, u""};
    }

    std::shared_ptr<server::Session> session_;
    std::shared_ptr<Application> app_;
};

TEST_F(AutomationObjects, WalksModelSpaceAndHonoursEachArraysBounds) {
    const auto space = modelSpace();
    ASSERT_EQ(space->count(), 5);
    std::vector<std::u16string> names;
    for (std::int32_t i = 0; i < space->count(); ++i) names.push_back(space->item(i)->entityName());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"AcDbLine", u"AcDbBlockReference", u"AcDbCircle",
                                                  u"AcDbBlockReference", u"AcDbBlockReference"}));

    const AttributeArray title = attributesOf(1);
    ASSERT_EQ(title.lowerBound(), 0);
    ASSERT_EQ(title.upperBound(), 3);
    EXPECT_EQ(title.at(0)->tagString(), u"产品代号");
    EXPECT_EQ(title.at(2)->textString(), u" ");

    const AttributeArray none = attributesOf(3);
    EXPECT_LT(none.upperBound(), none.lowerBound());

    const AttributeArray fromOne = attributesOf(4);
    ASSERT_EQ(fromOne.lowerBound(), 1);
    ASSERT_EQ(fromOne.upperBound(), 2);
    EXPECT_EQ(fromOne.at(1)->tagString(), u"产品代号");
    EXPECT_EQ(fromOne.at(2)->textString(), u"");
}

TEST_F(AutomationObjects, PutValuesReadBackExactly) {
    const std::u16string values[] = {u"",
                                     u" ",
                                     u"  两端空格  ",
                                     std::u16string(u"a\0b", 3),
                                     u"\U00020000",
                                     std::u16string(5000, u'图')};
    const auto attribute = attributesOf(1).at(1);
    for (const std::u16string& value : values) {
        attribute->putTextString(value);
        EXPECT_EQ(attribute->textString(), value);
        EXPECT_EQ(session_->active()->spaces.modelSpace[1].attributes[1].text,
                  std::wstring(value.begin(), value.end()));
    }
}

TEST_F(AutomationObjects, OpenSwitchesTheActiveDocumentAndSaveWritesIt) {
    attributesOf(1).at(0)->putTextString(u"新值");
    app_->activeDocument()->save();
    const auto opened = app_->activeDocument()->open(u"C:\\drawings\\b.dwg");
    EXPECT_NE(opened, nullptr);
    EXPECT_EQ(modelSpace()->count(), 1);
    app_->activeDocument()->open(u"C:\\drawings\\a.dwg");
    EXPECT_EQ(attributesOf(1).at(0)->textString(), u"新值");
}

TEST_F(AutomationObjects, PaperSpaceLayoutsComeInTabOrderWithoutTheModelOne) {
    struct Case {
        std::u16string drawing;
        std::vector<std::vector<std::u16string>> entityNames;  // a layout's block each
    };
    const std::vector<Case> cases = {
        {u"C:\\drawings\\a.dwg", {}},
        {u"C:\\drawings\\布局.dwg",
         {{u"AcDbCircle", u"AcDbBlockReference"}, {u"AcDbBlockReference"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::utf16ToUtf8(c.drawing));
        connect();
        const auto document = app_->activeDocument()->open(c.drawing);
        std::vector<std::vector<std::u16string>> seen;
        for (const auto& block : document->paperSpaceLayouts()) {
            seen.emplace_back();
            for (std::int32_t i = 0; i < block->count(); ++i) {
                seen.back().push_back(block->item(i)->entityName());
            }
        }
        EXPECT_EQ(seen, c.entityNames);
    }
}

TEST_F(AutomationObjects, VisibleIsPutAsTrue) {
    app_->putVisible(true);
    EXPECT_TRUE(session_->visible);
}

TEST_F(AutomationObjects, FailuresCarryTheNumberAndNameTheFile) {
    struct Case {
        const char* name;
        std::function<void()> call;
        HRESULT number;
        std::u16string mentions;
    };
    const std::vector<Case> cases = {
        {"a drawing that is not there",
         [&] { app_->activeDocument()->open(u"C:\\drawings\\missing.dwg"); },
         HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
         u"无法打开图形文件。（文件：C:\\drawings\\missing.dwg）"},
        {"saving a read-only drawing",
         [&] {
             app_->activeDocument()->open(u"C:\\drawings\\b.dwg");
             app_->activeDocument()->save();
         },
         E_ACCESSDENIED, u"（文件：C:\\drawings\\b.dwg）"},
        {"an index past the end", [&] { modelSpace()->item(5); }, DISP_E_BADINDEX, u""},
        {"a negative index", [&] { modelSpace()->item(-1); }, DISP_E_BADINDEX, u""},
        {"a line taken as a block reference", [&] { modelSpace()->item(0)->asBlockReference(); },
         DISP_E_UNKNOWNNAME, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connect();
        const Error e = failureOf(c.call);
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(c.number));
        EXPECT_NE(e.description().find(c.mentions), std::u16string::npos);
        EXPECT_FALSE(e.description().empty());
    }
}

}  // namespace
}  // namespace cad::automation
