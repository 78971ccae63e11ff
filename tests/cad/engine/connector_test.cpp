#include "cad/engine/engine_connector.h"

#include <gtest/gtest.h>

#include "base/unicode.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "files.h"
#include "temp_folder.h"

namespace cad::engine {
namespace {

std::int32_t numberOfFailure(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        EXPECT_FALSE(error.description().empty());
        return error.number();
    }
    ADD_FAILURE() << "no failure";
    return 0;
}

TEST(EngineConnector, HasNoRunningInstanceToAttachTo) {
    const auto connector = makeEngineConnector();
    EXPECT_EQ(numberOfFailure([&] { connector->attach(u"AutoCAD.Application"); }),
              errc::kUnavailable);
}

TEST(EngineConnector, KnowsOnlyTheCadProgId) {
    const auto connector = makeEngineConnector();
    for (const std::u16string_view progId :
         {u"Word.Application", u"AutoCAD", u"", u"AutoCAD.Application.1"}) {
        EXPECT_EQ(numberOfFailure([&] { connector->attach(progId); }), errc::kInvalidProgId);
        EXPECT_EQ(numberOfFailure([&] { connector->launch(progId); }), errc::kInvalidProgId);
    }
    EXPECT_NE(connector->launch(u"autocad.application"), nullptr) << "ProgIDs ignore letter case";
}

TEST(EngineConnector, LaunchesWithOneUntitledEmptyDrawing) {
    const auto application = makeEngineConnector()->launch(kProgId);
    application->putVisible(true);
    const auto document = application->activeDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->modelSpace()->count(), 0);
    EXPECT_EQ(numberOfFailure([&] { document->save(); }), errc::kUntitledSave);
}

TEST(EngineConnector, EveryLaunchIsAnInstanceOfItsOwn) {
    const auto connector = makeEngineConnector();
    const auto first = connector->launch(kProgId);
    const auto second = connector->launch(kProgId);
    const testing_support::TempFolder folder;  // a copy: tests running at once open fixtures too
    first->activeDocument()->open(
        base::utf8ToUtf16(testing_support::copyFixture("titleblock_r12.dxf", folder).string()));
    EXPECT_EQ(first->activeDocument()->modelSpace()->count(), 9);
    EXPECT_EQ(second->activeDocument()->modelSpace()->count(), 0);
}

TEST(PlatformConnector, IsTheEngineHere) {
    const auto application = makePlatformConnector()->launch(kProgId);
    EXPECT_EQ(application->activeDocument()->modelSpace()->count(), 0);
}

}  // namespace
}  // namespace cad::engine
