#include "dxf/class_names.h"

#include <gtest/gtest.h>

#include <string>

namespace dxf {
namespace {

std::string classOf(ClassNames& names, std::string_view type, const ClassClues& clues = {}) {
    return std::string(names.name(names.idOf(ClassNames::typeOf(type), clues)));
}

TEST(ClassNames, FindsEveryKindOfKnownTypeAndNoNearMiss) {
    ClassNames names;
    const struct {
        const char* type;
        const char* className;
    } known[] = {
        {"ARC", "AcDbArc"},
        {"RAY", "AcDbRay"},  // as long as ARC
        {"LINE", "AcDbLine"},
        {"TEXT", "AcDbText"},
        {"MTEXT", "AcDbMText"},
        {"SOLID", "AcDbTrace"},
        {"TRACE", "AcDbTrace"},
        {"3DFACE", "AcDbFace"},
        {"ATTRIB", "AcDbAttribute"},
        {"LWPOLYLINE", "AcDbPolyline"},
        {"ACAD_PROXY_ENTITY", "AcDbProxyEntity"},
        {"LARGE_RADIAL_DIMENSION", "AcDbRadialDimensionLarge"},
        {"INSERT", "AcDbBlockReference"},
        {"POLYLINE", "AcDb2dPolyline"},
        {"DIMENSION", "AcDbRotatedDimension"},
    };
    for (const auto& k : known) EXPECT_EQ(classOf(names, k.type), k.className) << k.type;

    const ClassClues marked{0, 1, "AcDbOwn"};
    for (const char* nearMiss : {"", "LIN", "LINES", "line", "ARC_", "INSERT ", "XLINE2"}) {
        EXPECT_EQ(classOf(names, nearMiss, marked), "AcDbOwn") << '"' << nearMiss << '"';
        EXPECT_EQ(classOf(names, nearMiss), "AcDbEntity") << '"' << nearMiss << '"';
    }
}

}  // namespace
}  // namespace dxf
