#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cad/engine/engine_connector.h"

namespace cad::engine {
namespace {

// Written by the fixture generator before this test runs (see CMakeLists.txt).
constexpr const char16_t* kLargeDrawing = ZANDREL_LARGE_DRAWING;
constexpr std::int32_t kEntities = 40000;
constexpr std::size_t kTitleBlock = kEntities - 9 + 3;  // the fixture's own entities end it

TEST(LargeDrawing, OpensWithEveryModelSpaceEntityAndItsTitleBlock) {
    if (!std::filesystem::exists(std::filesystem::path(kLargeDrawing))) {
        GTEST_SKIP() << "the large drawing was not generated (run the tests through ctest)";
    }
    const auto application = makeEngineConnector()->launch(kProgId);
    application->activeDocument()->open(kLargeDrawing);
    const auto modelSpace = application->activeDocument()->modelSpace();
    ASSERT_EQ(modelSpace->count(), kEntities);
    EXPECT_EQ(modelSpace->item(0)->entityName(), u"AcDbLine");
    const auto title = modelSpace->item(kTitleBlock);
    ASSERT_EQ(title->entityName(), kBlockReferenceName);
    EXPECT_EQ(title->asBlockReference()->getAttributes().at(0)->textString(), u"R2018/产品代号/甲");
}

// Neighbouring entities share their handles' memory: whatever the order they are asked for in,
// each handle is its own entity, and those kept outlive the model space and the rest.
TEST(LargeDrawing, GivesEachEntityInAnyOrder) {
    if (!std::filesystem::exists(std::filesystem::path(kLargeDrawing))) {
        GTEST_SKIP() << "the large drawing was not generated (run the tests through ctest)";
    }
    const auto application = makeEngineConnector()->launch(kProgId);
    application->activeDocument()->open(kLargeDrawing);
    std::vector<std::u16string> inFileOrder;
    {
        const auto modelSpace = application->activeDocument()->modelSpace();
        for (std::int32_t i = 0; i < kEntities; ++i)
            inFileOrder.push_back(modelSpace->item(i)->entityName());
    }
    const std::vector<std::pair<const char*, std::function<std::int32_t(std::int32_t)>>> orders{
        {"backwards", [](std::int32_t i) { return kEntities - 1 - i; }},
        {"hopping", [](std::int32_t i) { return static_cast<std::int32_t>(i * 97LL % kEntities); }},
    };
    for (const auto& [name, order] : orders) {
        std::vector<std::shared_ptr<Entity>> kept(kEntities);  // by index
        {
            const auto modelSpace = application->activeDocument()->modelSpace();
            for (std::int32_t i = 0; i < kEntities; ++i) {
                kept[static_cast<std::size_t>(order(i))] = modelSpace->item(order(i));
            }
        }
        for (std::size_t i = 0; i < kept.size(); ++i) {
            ASSERT_EQ(kept[i]->entityName(), inFileOrder[i]) << name << " " << i;
        }
        const AttributeArray title = kept[kTitleBlock]->asBlockReference()->getAttributes();
        EXPECT_EQ(title.at(0)->textString(), u"R2018/产品代号/甲") << name;
    }
}

}  // namespace
}  // namespace cad::engine
