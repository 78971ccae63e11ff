#include "dxf/entity_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dxf/file_index.h"
#include "dxf_builder.h"
#include "line_search_summaries.h"

namespace dxf {
namespace {

using testing_support::Tags;

// The index of a drawing holding `tags` in its ENTITIES section. Every way of finding lines must
// index it alike, those that leave out the tags the reader does not need as well.
FileIndex indexOf(const Tags& tags, std::string& data) {
    data = testing_support::asciiDxf(testing_support::drawingTags("AC1015", "", tags));
    const std::string oneAtATime = testing_support::indexSummary(data, LineSearch::kOneAtATime);
    for (const LineSearch search : {LineSearch::kAhead, LineSearch::kAheadInParallel}) {
        EXPECT_EQ(testing_support::indexSummary(data, search), oneAtATime);
    }
    return indexFile(data, "entity.dxf", LineSearch::kAheadInParallel);
}

std::string text(const std::string& data, std::size_t begin, std::size_t end) {
    return data.substr(begin, end - begin);
}

TEST(EntityReader, NamesTheClassAsTheCadApplicationDoes) {
    const struct {
        const char* what;
        Tags tags;
        const char* className;
    } cases[] = {
        {"R12 line", {{0, "LINE"}, {8, "0"}}, "AcDbLine"},
        {"last subclass marker",
         {{0, "TEXT"}, {100, "AcDbEntity"}, {100, "AcDbText"}, {1, "x"}, {100, "AcDbText"}},
         "AcDbText"},
        {"marker of a newer type",
         {{0, "LWPOLYLINE"}, {100, "AcDbEntity"}, {100, "AcDbPolyline"}},
         "AcDbPolyline"},
        {"markers in extended data do not count",
         {{0, "CIRCLE"}, {100, "AcDbCircle"}, {1001, "APP"}, {1000, "AcDbFake"}},
         "AcDbCircle"},
        {"insert",
         {{0, "INSERT"}, {100, "AcDbEntity"}, {100, "AcDbBlockReference"}},
         "AcDbBlockReference"},
        {"R12 insert", {{0, "INSERT"}, {2, "B"}}, "AcDbBlockReference"},
        {"one row, one column", {{0, "INSERT"}, {70, "1"}, {71, "1"}}, "AcDbBlockReference"},
        {"columns above 1", {{0, "INSERT"}, {2, "B"}, {70, "3"}}, "AcDbMInsertBlock"},
        {"rows above 1", {{0, "INSERT"}, {2, "B"}, {71, "2"}}, "AcDbMInsertBlock"},
        {"a multi-insert marker on a single insert",
         {{0, "INSERT"}, {100, "AcDbMInsertBlock"}, {70, "1"}},
         "AcDbBlockReference"},
        {"2D polyline",
         {{0, "POLYLINE"}, {70, "1"}, {0, "VERTEX"}, {0, "SEQEND"}},
         "AcDb2dPolyline"},
        {"3D polyline", {{0, "POLYLINE"}, {70, "8"}}, "AcDb3dPolyline"},
        {"polyface mesh", {{0, "POLYLINE"}, {70, "64"}}, "AcDbPolyFaceMesh"},
        {"aligned dimension with flags", {{0, "DIMENSION"}, {70, "33"}}, "AcDbAlignedDimension"},
        {"solid", {{0, "SOLID"}}, "AcDbTrace"},
        {"unknown R12 type", {{0, "SPACESHIP"}}, "AcDbEntity"},
        {"unknown type names its last marker",
         {{0, "SPACESHIP"}, {100, "AcDbEntity"}, {100, "AcDbSpaceship"}},
         "AcDbSpaceship"},
        {"region under its modeler marker",
         {{0, "REGION"}, {100, "AcDbEntity"}, {100, "AcDbModelerGeometry"}},
         "AcDbRegion"},
        {"3D solid up to R2004",
         {{0, "3DSOLID"}, {100, "AcDbEntity"}, {100, "AcDbModelerGeometry"}},
         "AcDb3dSolid"},
        {"plane surface under its base marker",
         {{0, "PLANESURFACE"}, {100, "AcDbModelerGeometry"}, {100, "AcDbSurface"}},
         "AcDbPlaneSurface"},
        {"ellipse without its marker", {{0, "ELLIPSE"}, {100, "AcDbEntity"}}, "AcDbEllipse"},
        {"multileader", {{0, "MULTILEADER"}, {100, "AcDbMLeader"}}, "AcDbMLeader"},
        {"dimension by its flags, not its markers",
         {{0, "DIMENSION"},
          {100, "AcDbDimension"},
          {70, "32"},
          {100, "AcDbAlignedDimension"},
          {100, "AcDbRotatedDimension"}},
         "AcDbRotatedDimension"},
    };
    for (const auto& c : cases) {
        std::string data;
        const FileIndex index = indexOf(c.tags, data);
        ASSERT_EQ(index.modelSpace.size(), 1U) << c.what;
        EXPECT_EQ(index.modelSpace.entity(0).className, c.className) << c.what;
    }
}

TEST(EntityReader, FindsTheAttributesUpToTheSeqend) {
    const Tags tags{
        {0, "INSERT"},
        {66, "1"},
        {2, "TITLE"},
        {0, "ATTRIB"},
        {1, "first"},
        {2, "A"},
        {1001, "APP"},
        {1000, "not a value"},
        {0, "ATTRIB"},
        {102, "{ACAD_XDICTIONARY"},
        {2, "in a group"},
        {102, "}"},
        {2, "B"},
        {1, " "},
        {0, "ATTRIB"},
        {2, "C"},
        {0, "ATTRIB"},
        {1, "single line"},
        {2, "D"},
        {101, "Embedded Object"},
        {1, "line 1\\Pline 2"},
        {0, "SEQEND"},
    };
    std::string data;
    const FileIndex index = indexOf(tags, data);
    const EntityDetails details = index.modelSpace.entity(0);
    EXPECT_TRUE(details.blockReference);
    ASSERT_EQ(details.attributes.size(), 4U);
    const auto& a = details.attributes;
    EXPECT_EQ(text(data, a[0].tagBegin, a[0].tagEnd), "A");
    EXPECT_EQ(text(data, a[0].valueBegin, a[0].valueEnd), "first");
    EXPECT_EQ(text(data, a[1].tagBegin, a[1].tagEnd), "B");
    EXPECT_EQ(text(data, a[1].valueBegin, a[1].valueEnd), " ");
    EXPECT_FALSE(a[1].multiline);
    EXPECT_TRUE(a[2].hasTag);
    EXPECT_FALSE(a[2].hasValue);
    EXPECT_EQ(text(data, a[3].valueBegin, a[3].valueEnd), "single line");
    EXPECT_TRUE(a[3].multiline);
}

TEST(EntityReader, AMissingValueGoesAfterTheTextHeightOrElseBeforeTheTagOrAfterTheOwnTags) {
    const Tags tags{
        {0, "INSERT"},    {2, "TITLE"},  {0, "ATTRIB"}, {100, "AcDbText"},
        {10, "0"},        {40, "2.5"},   {50, "0"},     {100, "AcDbAttribute"},
        {2, "HEIGHT"},    {0, "ATTRIB"}, {10, "0"},     {100, "AcDbAttribute"},
        {2, "NO HEIGHT"}, {0, "ATTRIB"}, {10, "0"},     {0, "ATTRIB"},
        {8, "0"},         {1001, "APP"}, {1000, "x"},   {2, "IN XDATA"},
        {0, "SEQEND"},    {0, "INSERT"}, {0, "ATTRIB"},
    };
    std::string data;
    const FileIndex index = indexOf(tags, data);
    const EntityDetails details = index.modelSpace.entity(0);
    ASSERT_EQ(details.attributes.size(), 4U);
    ASSERT_EQ(index.modelSpace.entity(1).attributes.size(), 1U);
    const auto followingLine = [&](const AttributeSlot& slot) {
        EXPECT_FALSE(slot.hasValue);
        EXPECT_EQ(slot.valueBegin, slot.valueEnd);
        return text(data, slot.valueBegin, data.find('\n', data.find('\n', slot.valueBegin) + 1));
    };
    EXPECT_EQ(followingLine(details.attributes[0]), "50\n0");
    EXPECT_EQ(followingLine(details.attributes[1]), "100\nAcDbAttribute");
    EXPECT_EQ(followingLine(details.attributes[2]), "0\nATTRIB");
    EXPECT_EQ(followingLine(details.attributes[3]), "1001\nAPP") << "not among extended data";
    EXPECT_EQ(followingLine(index.modelSpace.entity(1).attributes[0]), "0\nENDSEC")
        << "at the end of the section";
}

// The attribute tags of each model-space entity.
std::vector<std::vector<std::string>> attributeTagsOf(const std::string& data,
                                                      const FileIndex& index) {
    std::vector<std::vector<std::string>> tags;
    for (std::size_t i = 0; i < index.modelSpace.size(); ++i) {
        auto& entity = tags.emplace_back();
        for (const AttributeSlot& slot : index.modelSpace.entity(i).attributes) {
            entity.push_back(text(data, slot.tagBegin, slot.tagEnd));
        }
    }
    return tags;
}

TEST(EntityReader, GivesEachEntityItsOwnAttributesOnly) {
    using Expected = std::vector<std::vector<std::string>>;
    const struct {
        const char* what;
        Tags tags;
        Expected attributes;
    } cases[] = {
        {"a paper-space insert between two",
         {{0, "INSERT"},
          {0, "ATTRIB"},
          {2, "A"},
          {0, "SEQEND"},
          {0, "INSERT"},
          {67, "1"},
          {0, "ATTRIB"},
          {2, "PAPER"},
          {0, "ATTRIB"},
          {2, "PAPER 2"},
          {0, "SEQEND"},
          {0, "INSERT"},
          {0, "ATTRIB"},
          {2, "B"},
          {0, "SEQEND"}},
         {{"A"}, {"B"}}},
        {"attributes after other entities are nobody's",
         {{0, "ATTRIB"},
          {2, "BEFORE ALL"},
          {0, "LINE"},
          {0, "ATTRIB"},
          {2, "AFTER A LINE"},
          {0, "INSERT"},
          {0, "ATTRIB"},
          {2, "OWN"}},
         {{}, {"OWN"}}},
        {"an insert without attributes, then one whose last has no SEQEND",
         {{0, "INSERT"},
          {2, "EMPTY"},
          {0, "INSERT"},
          {0, "ATTRIB"},
          {2, "X"},
          {0, "ATTRIB"},
          {2, "Y"}},
         {{}, {"X", "Y"}}},
        {"vertices and attributes mixed",
         {{0, "INSERT"},
          {0, "VERTEX"},
          {0, "ATTRIB"},
          {2, "V"},
          {0, "SEQEND"},
          {0, "ATTRIB"},
          {2, "W"}},
         {{"V", "W"}}},
    };
    for (const auto& c : cases) {
        std::string data;
        const FileIndex index = indexOf(c.tags, data);
        EXPECT_EQ(attributeTagsOf(data, index), c.attributes) << c.what;
    }
}

TEST(EntityReader, KeepsEachClassNameTheFileBringsOnce) {
    const Tags tags{
        {0, "SPACESHIP"},    {100, "AcDbEntity"}, {100, "AcDbSpaceship"},    {0, "ROCKET"},
        {100, "AcDbRocket"}, {0, "SPACESHIP"},    {100, " AcDbSpaceship\t"}, {0, "UFO"},
    };
    std::string data;
    FileIndex found = indexOf(tags, data);
    const FileIndex index = std::move(found);  // as a drawing takes it over
    ASSERT_EQ(index.modelSpace.size(), 4U);
    const auto name = [&](std::size_t i) { return index.modelSpace.entity(i).className; };
    EXPECT_EQ(name(0), "AcDbSpaceship");
    EXPECT_EQ(name(1), "AcDbRocket");
    EXPECT_EQ(name(2).data(), name(0).data()) << "one copy of a name, however padded";
    EXPECT_EQ(name(3), "AcDbEntity");
}

TEST(EntityReader, OtherEntitiesHaveNoAttributes) {
    std::string data;
    const FileIndex index = indexOf({{0, "POLYLINE"}, {0, "VERTEX"}, {0, "SEQEND"}}, data);
    const EntityDetails details = index.modelSpace.entity(0);
    EXPECT_FALSE(details.blockReference);
    EXPECT_TRUE(details.attributes.empty());
}

}  // namespace
}  // namespace dxf
