#include <gtest/gtest.h>

#include "base/unicode.h"
#include "cad/engine/engine_connector.h"
#include "cad/error.h"
#include "dxf/error.h"
#include "files.h"
#include "temp_folder.h"
#include "titleblock/field_map.h"

namespace cad::engine {
namespace {

class EngineModelSpace : public ::testing::Test {
protected:
    // A copy: an open drawing is claimed, and tests running at the same time open the fixtures
    // too.
    void open(const char* fixture) {
        const auto copy = testing_support::copyFixture(fixture, folder_);
        application_->activeDocument()->open(base::utf8ToUtf16(copy.string()));
        modelSpace_ = application_->activeDocument()->modelSpace();
    }

    testing_support::TempFolder folder_;
    std::shared_ptr<Application> application_ = makeEngineConnector()->launch(kProgId);
    std::shared_ptr<ModelSpace> modelSpace_;
};

TEST_F(EngineModelSpace, NamesEveryEntityByItsClass) {
    open("titleblock_r2000_gbk_binary.dxf");
    ASSERT_EQ(modelSpace_->count(), 9);
    std::vector<std::u16string> names;
    for (std::int32_t i = 0; i < modelSpace_->count(); ++i)
        names.push_back(modelSpace_->item(i)->entityName());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"AcDbLine", u"AcDbCircle", u"AcDbBlockReference",
                                                  u"AcDbBlockReference", u"AcDbText",
                                                  u"AcDbBlockReference", u"AcDbMInsertBlock",
                                                  u"AcDbBlockReference", u"AcDbPolyline"}));
}

TEST_F(EngineModelSpace, TellsWhetherAnEntityHasANameAsEntityNameWould) {
    open("titleblock_r2000_gbk_binary.dxf");
    for (std::int32_t i = 0; i < modelSpace_->count(); ++i) {
        const auto entity = modelSpace_->item(i);
        const std::u16string name = entity->entityName();
        for (const std::u16string_view asked :
             {std::u16string_view(name), kBlockReferenceName, std::u16string_view(u"AcDbLin"),
              std::u16string_view(u"AcDbLine "), std::u16string_view()}) {
            EXPECT_EQ(entity->entityNameIs(asked), name == asked) << i;
        }
    }
}

TEST_F(EngineModelSpace, FailsOutsideItsIndexRange) {
    open("titleblock_r12.dxf");
    for (const std::int32_t index : {-1, 9, 32767}) {
        try {
            modelSpace_->item(index);
            ADD_FAILURE() << index;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), errc::kBadIndex);
        }
    }
}

TEST_F(EngineModelSpace, GivesTheAttributesOfABlockReferenceInFileOrder) {
    open("titleblock_r2018.dxf");
    const AttributeArray attributes = modelSpace_->item(3)->asBlockReference()->getAttributes();
    EXPECT_EQ(attributes.lowerBound(), 0);
    ASSERT_EQ(attributes.upperBound(), 28);
    for (std::int32_t j = 0; j <= 28; ++j) {
        const auto& row = titleblock::kFieldMap[static_cast<std::size_t>(j)];
        EXPECT_EQ(attributes.at(j)->tagString(), row.tag);
        EXPECT_EQ(attributes.at(j)->textString(), u"R2018/" + std::u16string(row.tag) + u"/甲");
    }
}

TEST_F(EngineModelSpace, ABlockReferenceWithoutAttributesGivesAnEmptyArray) {
    open("titleblock_r2004.dxf");
    const AttributeArray attributes = modelSpace_->item(2)->asBlockReference()->getAttributes();
    EXPECT_LT(attributes.upperBound(), attributes.lowerBound());
}

TEST_F(EngineModelSpace, OnlyBlockReferencesHaveTheBlockReferenceInterface) {
    open("titleblock_r2010.dxf");
    EXPECT_NE(modelSpace_->item(6)->asBlockReference(), nullptr) << "a multi-insert is one too";
    try {
        modelSpace_->item(0)->asBlockReference();
        FAIL() << "a line is no block reference";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), errc::kNoInterface);
    }
}

TEST_F(EngineModelSpace, APutItCannotWriteFailsWithTheDrawingsNumber) {
    open("titleblock_r2018.dxf");
    const AttributeArray notes = modelSpace_->item(7)->asBlockReference()->getAttributes();
    const auto multiline = notes.at(4);
    ASSERT_EQ(multiline->tagString(), u"多行");
    try {
        multiline->putTextString(u"x");
        FAIL() << "wrote a multi-line attribute";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), dxf::numberOf(dxf::Errc::kAttributeNotWritable));
        EXPECT_NE(error.description().find(u"多行"), std::u16string::npos);
    }
    EXPECT_EQ(multiline->textString(), u"第一行");
}

TEST_F(EngineModelSpace, HandlesKeepWorkingWhenEverythingElseIsReleased) {
    open("titleblock_r2018.dxf");
    const auto line = modelSpace_->item(0);
    const auto title = modelSpace_->item(3)->asBlockReference();
    const auto tag = title->getAttributes().at(1);
    const auto value = modelSpace_->item(3)->asBlockReference()->getAttributes().at(0);
    modelSpace_.reset();
    application_.reset();
    EXPECT_EQ(line->entityName(), u"AcDbLine");
    EXPECT_EQ(tag->tagString(), u"零件名称");
    value->putTextString(u"新值");
    EXPECT_EQ(title->getAttributes().at(0)->textString(), u"新值");
}

}  // namespace
}  // namespace cad::engine
