#include <gtest/gtest.h>

#include <filesystem>

#include "cad/engine/engine_connector.h"

namespace cad::engine {
namespace {

// Written by the fixture generator before this test runs (see CMakeLists.txt).
constexpr const char16_t* kLargeDrawing = ZANDREL_LARGE_DRAWING;
constexpr std::int32_t kEntities = 40000;

TEST(LargeDrawing, OpensWithEveryModelSpaceEntityAndItsTitleBlock) {
    if (!std::filesystem::exists(std::filesystem::path(kLargeDrawing))) {
        GTEST_SKIP() << "the large drawing was not generated (run the tests through ctest)";
    }
    const auto application = makeEngineConnector()->launch(kProgId);
    application->activeDocument()->open(kLargeDrawing);
    const auto modelSpace = application->activeDocument()->modelSpace();
    ASSERT_EQ(modelSpace->count(), kEntities);
    EXPECT_EQ(modelSpace->item(0)->entityName(), u"AcDbLine");
    const auto title = modelSpace->item(kEntities - 9 + 3);
    ASSERT_EQ(title->entityName(), kBlockReferenceName);
    EXPECT_EQ(title->asBlockReference()->getAttributes().at(0)->textString(), u"R2018/产品代号/甲");
}

}  // namespace
}  // namespace cad::engine
