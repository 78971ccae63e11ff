#include "cad/engine/engine_connector.h"

#include <gtest/gtest.h>

#include <string>

#include "base/hresult.h"
#include "base/unicode.h"
#include "cad/engine/engine_errors.h"
#include "cad/error.h"
#include "dxf/drawing.h"
#include "dxf/error.h"
#include "files.h"

namespace cad::engine {
namespace {

using testing_support::TempFolder;

std::u16string pathText(const std::filesystem::path& path) {
    return base::utf8ToUtf16(path.string());
}

// The value of the first attribute of the title block (model-space entity 3).
std::shared_ptr<Attribute> titleAttribute(const std::shared_ptr<Application>& application) {
    auto entity = application->activeDocument()->modelSpace()->item(3);
    return entity->asBlockReference()->getAttributes().at(0);
}

class EngineDocument : public ::testing::Test {
protected:
    std::shared_ptr<Application> application_ = makeEngineConnector()->launch(kProgId);
    TempFolder folder_;
};

TEST_F(EngineDocument, OpenMakesTheDrawingTheActiveDocument) {
    const auto path = testing_support::copyFixture("titleblock_r2010.dxf", folder_);
    const auto returned = application_->activeDocument()->open(pathText(path));
    ASSERT_NE(returned, nullptr);
    EXPECT_EQ(application_->activeDocument()->modelSpace()->count(), 9);
    EXPECT_EQ(returned->modelSpace()->count(), 9);
    EXPECT_EQ(titleAttribute(application_)->textString(), u"R2010/产品代号/甲");
}

TEST_F(EngineDocument, SaveWritesBackToTheDrawingsFile) {
    const auto path = testing_support::copyFixture("titleblock_r2000_gbk.dxf", folder_);
    application_->activeDocument()->open(pathText(path));
    titleAttribute(application_)->putTextString(u"新值");
    application_->activeDocument()->save();
    EXPECT_EQ(titleAttribute(application_)->textString(), u"新值");
    application_.reset();
    const auto again = makeEngineConnector()->launch(kProgId);
    again->activeDocument()->open(pathText(path));
    EXPECT_EQ(titleAttribute(again)->textString(), u"新值");
}

// What another engine (another run) can do with a drawing this one has opened or saved and then
// waits on: a batch holds it, a window lets others read and save it.
TEST_F(EngineDocument, ADrawingWaitingInAnEngineIsHeldOnlyByOneThatHoldsDrawings) {
    const struct {
        bool holdDrawings;
        bool saved;
        const char* otherOpen;  // "locked" or "opened"
    } cases[] = {
        {true, false, "locked"},
        {true, true, "locked"},
        {false, false, "opened"},
        {false, true, "opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.holdDrawings ? "holding" : "not holding") +
                     (c.saved ? ", saved" : ", opened"));
        const auto path = testing_support::copyFixture("titleblock_r2000_gbk.dxf", folder_);
        const auto waiting =
            makeEngineConnector(
                {.progId = {}, .closeOwnDrawings = false, .holdDrawings = c.holdDrawings})
                ->launch(kProgId);
        waiting->activeDocument()->open(pathText(path));
        if (c.saved) {
            titleAttribute(waiting)->putTextString(u"新值");
            waiting->activeDocument()->save();
        }
        const auto other = makeEngineConnector()->launch(kProgId);
        try {
            other->activeDocument()->open(pathText(path));
            EXPECT_STREQ(c.otherOpen, "opened");
        } catch (const Error& error) {
            EXPECT_EQ(static_cast<std::uint32_t>(error.number()), 0x80040217U);
            EXPECT_STREQ(c.otherOpen, "locked");
        }
    }
}

TEST_F(EngineDocument, OpeningAnotherDrawingDropsUnsavedChanges) {
    const auto first = testing_support::copyFixture("titleblock_r2004.dxf", folder_);
    const auto second = testing_support::copyFixture("titleblock_r2018.dxf", folder_);
    const std::string original = testing_support::readBytes(first);
    const auto document = application_->activeDocument();
    document->open(pathText(first));
    titleAttribute(application_)->putTextString(u"never saved");
    document->open(pathText(second));
    EXPECT_EQ(titleAttribute(application_)->textString(), u"R2018/产品代号/甲");
    document->open(pathText(first));
    EXPECT_EQ(titleAttribute(application_)->textString(), u"R2004/产品代号/甲");
    EXPECT_EQ(testing_support::readBytes(first), original);
}

TEST_F(EngineDocument, ADrawingThatFailsToOpenLeavesTheOpenOneAndReportsTheSameFailure) {
    const auto good = testing_support::copyFixture("titleblock_r12.dxf", folder_);
    const auto missing = folder_ / "missing.dxf";
    application_->activeDocument()->open(pathText(good));
    titleAttribute(application_)->putTextString(u"kept");
    try {
        application_->activeDocument()->open(pathText(missing));
        FAIL() << "opened a missing file";
    } catch (const Error& error) {
        try {
            dxf::Drawing::open(missing);
        } catch (const dxf::Error& expected) {
            EXPECT_EQ(error.number(), expected.number());
            EXPECT_EQ(error.description(), expected.description());
        }
        EXPECT_EQ(error.number(), base::hresult(0x80070002));
    }
    EXPECT_EQ(titleAttribute(application_)->textString(), u"kept");
}

TEST_F(EngineDocument, ObjectsOfAReplacedDrawingFailInsteadOfTouchingTheNewOne) {
    const auto first = testing_support::copyFixture("titleblock_r2004.dxf", folder_);
    const auto second = testing_support::copyFixture("titleblock_r2010.dxf", folder_);
    application_->activeDocument()->open(pathText(first));
    const auto modelSpace = application_->activeDocument()->modelSpace();
    const auto entity = modelSpace->item(3);
    const auto blockReference = entity->asBlockReference();
    const auto attribute = titleAttribute(application_);
    application_->activeDocument()->open(pathText(second));
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { modelSpace->count(); },
             [&] { entity->entityName(); },
             [&] { entity->entityNameIs(kBlockReferenceName); },
             [&] { entity->asBlockReference(); },
             [&] { blockReference->getAttributes(); },
             [&] { attribute->textString(); },
             [&] { attribute->putTextString(u"x"); },
         }) {
        try {
            call();
            ADD_FAILURE() << "a stale object worked";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), base::hresult(0x80010108));
        }
    }
    EXPECT_EQ(titleAttribute(application_)->textString(), u"R2010/产品代号/甲");
}

TEST_F(EngineDocument, AFailedSaveReportsTheDrawingsFailureAndKeepsTheFile) {
    const auto path = testing_support::copyFixture("titleblock_r2018.dxf", folder_);
    const std::string original = testing_support::readBytes(path);
    std::filesystem::create_directory(folder_ / "titleblock_r2018.bak");
    testing_support::writeBytes(folder_ / "titleblock_r2018.bak" / "x", "x");
    application_->activeDocument()->open(pathText(path));
    titleAttribute(application_)->putTextString(u"changed");
    try {
        application_->activeDocument()->save();
        FAIL() << "saved";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find(u"titleblock_r2018.bak"), std::u16string::npos);
    }
    EXPECT_EQ(testing_support::readBytes(path), original);
}

}  // namespace
}  // namespace cad::engine
