#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"
#include "dxf/drawing.h"
#include "dxf_builder.h"

namespace dxf {
namespace {

using testing_support::Tags;

Tags section(const std::string& name, const Tags& content) {
    Tags tags{{0, "SECTION"}, {2, name}};
    tags.insert(tags.end(), content.begin(), content.end());
    tags.push_back({0, "ENDSEC"});
    return tags;
}

Tags joined(const std::vector<Tags>& parts) {
    Tags tags;
    for (const Tags& part : parts) tags.insert(tags.end(), part.begin(), part.end());
    return tags;
}

Tags file(const std::vector<Tags>& sections) {
    Tags tags = joined(sections);
    tags.push_back({0, "EOF"});
    return tags;
}

Tags blockRecord(const std::string& handle, const std::string& name) {
    return {{0, "BLOCK_RECORD"}, {5, handle}, {330, "1"}, {100, "AcDbBlockTableRecord"}, {2, name}};
}

// A LAYOUT object: its plot settings carry a name and an owner of their own before its data.
Tags layout(const std::string& name, const std::string& tabOrder, const std::string& record) {
    return {{0, "LAYOUT"},   {5, "9" + tabOrder}, {330, "1A"},         {100, "AcDbPlotSettings"},
            {1, "页面设置"}, {71, "7"},           {100, "AcDbLayout"}, {1, name},
            {70, "1"},       {71, tabOrder},      {330, record}};
}

Tags titleBlock(const std::string& value) {
    return {{0, "INSERT"}, {67, "1"},   {2, "TB"},  {66, "1"},
            {0, "ATTRIB"}, {2, "图号"}, {1, value}, {0, "SEQEND"}};
}

// A drawing of R2000 or later: three layouts listed out of tab order, the active one's entities
// in ENTITIES, the others' in their blocks; an ordinary block and the model layout hold none.
const Tags kLayouts = file({
    section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}}),
    section("TABLES",
            [] {
                Tags tables{{0, "TABLE"}, {2, "BLOCK_RECORD"}};
                for (const Tags& record :
                     {blockRecord("1F", "*Model_Space"), blockRecord("1E", "*Paper_Space"),
                      blockRecord("2a", "*paper_space0"), blockRecord("2B", "*Paper_Space1"),
                      blockRecord("2C", "TB")}) {
                    tables.insert(tables.end(), record.begin(), record.end());
                }
                tables.push_back({0, "ENDTAB"});
                return tables;
            }()),
    section("BLOCKS",
            joined({{{0, "BLOCK"}, {2, "TB"}, {0, "LINE"}, {0, "ENDBLK"}},
                    {{0, "BLOCK"}, {2, "*Paper_Space0"}, {70, "0"}},
                    titleBlock("P-2"),
                    {{0, "CIRCLE"}, {0, "ENDBLK"}, {5, "3"}},
                    {{0, "BLOCK"}, {2, "*Paper_Space1"}, {0, "TEXT"}, {67, "1"}, {0, "ENDBLK"}}})),
    section("ENTITIES", joined({{{0, "LINE"}}, titleBlock("P-1"), {{0, "CIRCLE"}}})),
    section("OBJECTS", joined({layout("第三", "3", "2B"), layout("Model", "0", "1F"),
                               layout("第一", "1", "1E"), layout("第二", "2", "2A")})),
});

// Before R2000: no layout objects, and paper space is what ENTITIES marks so.
const Tags kR12 = testing_support::drawingTags(
    "AC1009", "", joined({{{0, "LINE"}}, titleBlock("P-1"), {{0, "CIRCLE"}, {67, "0"}}}));

TEST(LayoutIndex, AddsTheEntitiesOfEachLayoutAfterModelSpaceInTabOrder) {
    const struct {
        const char* what;
        Tags tags;
        std::vector<std::string> modelSpace;
        std::vector<std::vector<std::string>> layouts;
        std::vector<std::string> titleBlocks;  // the layouts' attribute values, in order
    } cases[] = {
        {"layouts in blocks and ENTITIES",
         kLayouts,
         {"AcDbLine", "AcDbCircle"},
         {{"AcDbBlockReference"}, {"AcDbBlockReference", "AcDbCircle"}, {"AcDbText"}},
         {"P-1", "P-2"}},
        {"R12", kR12, {"AcDbLine", "AcDbCircle"}, {{"AcDbBlockReference"}}, {"P-1"}},
        {"no paper space",
         testing_support::drawingTags("AC1009", "", {{0, "LINE"}}),
         {"AcDbLine"},
         {{}},
         {}},
    };
    for (const auto& c : cases) {
        const Drawing drawing = Drawing::fromBytes(testing_support::asciiDxf(c.tags), "l.dxf");
        std::vector<std::string> modelSpace;
        for (std::size_t i = 0; i < drawing.modelSpaceCount(); ++i) {
            modelSpace.emplace_back(drawing.entity(i).className);
        }
        std::vector<std::vector<std::string>> layouts;
        std::vector<std::string> titleBlocks;
        for (const EntityRange& range : drawing.layouts()) {
            layouts.emplace_back();
            for (std::size_t i = range.first; i < range.first + range.count; ++i) {
                layouts.back().emplace_back(drawing.entity(i).className);
                for (const AttributeSlot& slot : drawing.attributes(i)) {
                    titleBlocks.push_back(base::utf16ToUtf8(drawing.attributeValue(slot)));
                }
            }
        }
        EXPECT_EQ(modelSpace, c.modelSpace) << c.what;
        EXPECT_EQ(layouts, c.layouts) << c.what;
        EXPECT_EQ(titleBlocks, c.titleBlocks) << c.what;
    }
}

}  // namespace
}  // namespace dxf
