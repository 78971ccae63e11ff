#include "dxf/class_names.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "dxf/tag_scanner.h"

namespace dxf {

namespace {

// The types this library knows. The rows without a name are the types whose class depends on
// their flags.
struct TypeRow {
    std::string_view type;
    std::string_view name;
    TypeRule rule = TypeRule::kByType;
};

constexpr std::array<TypeRow, 54> kByType{{
    {"3DFACE", "AcDbFace"},
    {"3DSOLID", "AcDb3dSolid"},
    {"ACAD_PROXY_ENTITY", "AcDbProxyEntity"},
    {"ACAD_TABLE", "AcDbTable"},
    {"ARC", "AcDbArc"},
    {"ARC_DIMENSION", "AcDbArcDimension"},
    {"ATTDEF", "AcDbAttributeDefinition"},
    {"ATTRIB", "AcDbAttribute"},
    {"BODY", "AcDbBody"},
    {"CAMERA", "AcDbCamera"},
    {"CIRCLE", "AcDbCircle"},
    {"DGNUNDERLAY", "AcDbDgnReference"},
    {"DIMENSION", {}, TypeRule::kDimension},
    {"DWFUNDERLAY", "AcDbDwfReference"},
    {"ELLIPSE", "AcDbEllipse"},
    {"EXTRUDEDSURFACE", "AcDbExtrudedSurface"},
    {"GEOPOSITIONMARKER", "AcDbGeoPositionMarker"},
    {"HATCH", "AcDbHatch"},
    {"HELIX", "AcDbHelix"},
    {"IMAGE", "AcDbRasterImage"},
    {"INSERT", {}, TypeRule::kInsert},
    {"LARGE_RADIAL_DIMENSION", "AcDbRadialDimensionLarge"},
    {"LEADER", "AcDbLeader"},
    {"LIGHT", "AcDbLight"},
    {"LINE", "AcDbLine"},
    {"LOFTEDSURFACE", "AcDbLoftedSurface"},
    {"LWPOLYLINE", "AcDbPolyline"},
    {"MESH", "AcDbSubDMesh"},
    {"MLINE", "AcDbMline"},
    {"MPOLYGON", "AcDbMPolygon"},
    {"MTEXT", "AcDbMText"},
    {"MULTILEADER", "AcDbMLeader"},
    {"NURBSURFACE", "AcDbNurbSurface"},
    {"OLE2FRAME", "AcDbOle2Frame"},
    {"OLEFRAME", "AcDbOleFrame"},
    {"PDFUNDERLAY", "AcDbPdfReference"},
    {"PLANESURFACE", "AcDbPlaneSurface"},
    {"POINT", "AcDbPoint"},
    {"POINTCLOUD", "AcDbPointCloud"},
    {"POLYLINE", {}, TypeRule::kPolyline},
    {"RAY", "AcDbRay"},
    {"REGION", "AcDbRegion"},
    {"REVOLVEDSURFACE", "AcDbRevolvedSurface"},
    {"SECTIONOBJECT", "AcDbSection"},
    {"SHAPE", "AcDbShape"},
    {"SOLID", "AcDbTrace"},
    {"SPLINE", "AcDbSpline"},
    {"SWEPTSURFACE", "AcDbSweptSurface"},
    {"TEXT", "AcDbText"},
    {"TOLERANCE", "AcDbFcf"},
    {"TRACE", "AcDbTrace"},
    {"VIEWPORT", "AcDbViewport"},
    {"WIPEOUT", "AcDbWipeout"},
    {"XLINE", "AcDbXline"},
}};

// The rows of kByType in an open-addressed hash table built at compile time: the index looks up
// every entity's type, and a hash with mostly one comparison beats a binary search of several.
constexpr std::size_t kSlots = 256;  // a power of two, well above the rows

constexpr std::size_t slotOf(std::string_view type) {
    std::size_t hash = type.size();
    for (const char c : type) hash = hash * 31 + static_cast<unsigned char>(c);
    return hash & (kSlots - 1);
}

constexpr auto kSlotRows = [] {
    std::array<std::uint8_t, kSlots> slots{};  // the row + 1; 0 is empty
    for (std::size_t row = 0; row < kByType.size(); ++row) {
        std::size_t slot = slotOf(kByType[row].type);
        while (slots[slot] != 0) slot = (slot + 1) & (kSlots - 1);
        slots[slot] = static_cast<std::uint8_t>(row + 1);
    }
    return slots;
}();

// The classes that depend on more than the type, and the one of a type nobody names; numbered
// after the rows of kByType.
constexpr std::array<std::string_view, 14> kDerived{"AcDb2dPolyline",
                                                    "AcDb3dPolyline",
                                                    "AcDbPolygonMesh",
                                                    "AcDbPolyFaceMesh",
                                                    "AcDbRotatedDimension",
                                                    "AcDbAlignedDimension",
                                                    "AcDb2LineAngularDimension",
                                                    "AcDbDiametricDimension",
                                                    "AcDbRadialDimension",
                                                    "AcDb3PointAngularDimension",
                                                    "AcDbOrdinateDimension",
                                                    "AcDbDimension",
                                                    "AcDbBlockReference",
                                                    "AcDbMInsertBlock"};
constexpr std::string_view kNoClass = "AcDbEntity";

constexpr ClassNames::Id kFirstDerived = kByType.size();
constexpr ClassNames::Id kNoClassId = kFirstDerived + kDerived.size();
constexpr ClassNames::Id kFirstFromFile = kNoClassId + 1;

consteval ClassNames::Id derived(std::string_view name) {
    const auto* found = std::find(kDerived.begin(), kDerived.end(), name);
    if (found == kDerived.end()) throw "not a derived class name";
    return kFirstDerived + static_cast<ClassNames::Id>(found - kDerived.begin());
}

ClassNames::Id polylineClass(long long flags) {
    if (flags & 16) return derived("AcDbPolygonMesh");
    if (flags & 64) return derived("AcDbPolyFaceMesh");
    if (flags & 8) return derived("AcDb3dPolyline");
    return derived("AcDb2dPolyline");
}

ClassNames::Id dimensionClass(long long flags) {
    constexpr std::array<ClassNames::Id, 7> kByKind{
        derived("AcDbRotatedDimension"),      derived("AcDbAlignedDimension"),
        derived("AcDb2LineAngularDimension"), derived("AcDbDiametricDimension"),
        derived("AcDbRadialDimension"),       derived("AcDb3PointAngularDimension"),
        derived("AcDbOrdinateDimension")};
    const auto kind = static_cast<std::size_t>(flags & 7);  // the higher bits are flags
    if (kind >= kByKind.size()) return derived("AcDbDimension");
    return kByKind[kind];
}

// Group 70 of an INSERT is its column count: rows or columns above 1 make a multi-insert.
ClassNames::Id insertClass(const ClassClues& clues) {
    return clues.flags > 1 || clues.rows > 1 ? derived("AcDbMInsertBlock")
                                             : derived("AcDbBlockReference");
}

}  // namespace

EntityType ClassNames::typeOf(std::string_view type) {
    for (std::size_t slot = slotOf(type);; slot = (slot + 1) & (kSlots - 1)) {
        const std::size_t rowPlusOne = kSlotRows[slot];
        if (rowPlusOne == 0) return {};
        const TypeRow& row = kByType[rowPlusOne - 1];
        if (row.type == type) return {row.rule, static_cast<Id>(rowPlusOne - 1)};
    }
}

ClassNames::Id ClassNames::idOf(EntityType type, const ClassClues& clues) {
    switch (type.rule) {
        case TypeRule::kByType:
            return type.row;
        case TypeRule::kInsert:
            return insertClass(clues);
        case TypeRule::kPolyline:
            return polylineClass(clues.flags);
        case TypeRule::kDimension:
            return dimensionClass(clues.flags);
        case TypeRule::kByMarker:
            break;
    }
    const std::string_view marker = trimmed(clues.lastMarker);
    if (marker.empty()) return kNoClassId;
    const auto known = fromFileIds_.find(marker);
    if (known != fromFileIds_.end()) return known->second;
    const Id id = kFirstFromFile + static_cast<Id>(fromFile_.size());
    fromFile_.push_back(fromFileIds_.emplace(marker, id).first->first);
    return id;
}

std::string_view ClassNames::name(Id id) const {
    if (id < kFirstDerived) return kByType[id].name;
    if (id < kNoClassId) return kDerived[id - kFirstDerived];
    if (id == kNoClassId) return kNoClass;
    return fromFile_.at(id - kFirstFromFile);
}

ClassNames::Id ClassNames::count() const {
    return kFirstFromFile + static_cast<Id>(fromFile_.size());
}

}  // namespace dxf
