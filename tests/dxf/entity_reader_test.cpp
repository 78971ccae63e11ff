#include "dxf/entity_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "dxf_builder.h"

namespace dxf {
namespace {

using testing_support::Tags;

EntityDetails read(const Tags& tags, std::string& data) {
    data = testing_support::asciiDxf(tags);
    return readEntity(data, Layout::kAscii, {0, data.size()}, "entity.dxf");
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
    };
    for (const auto& c : cases) {
        std::string data;
        EXPECT_EQ(read(c.tags, data).className, c.className) << c.what;
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
    const EntityDetails details = read(tags, data);
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

TEST(EntityReader, OtherEntitiesHaveNoAttributes) {
    std::string data;
    const EntityDetails details = read({{0, "POLYLINE"}, {0, "VERTEX"}, {0, "SEQEND"}}, data);
    EXPECT_FALSE(details.blockReference);
    EXPECT_TRUE(details.attributes.empty());
}

}  // namespace
}  // namespace dxf
