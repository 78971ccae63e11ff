#include "dxf/class_names.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dxf {

namespace {

// Types shortest first, then in byte order: a binary search then mostly compares lengths, which
// matters when the index of a large drawing looks up every entity's type. The rows without a
// name are the types whose class depends on their flags.
struct TypeRow {
    std::string_view type;
    std::string_view name;
    TypeRule rule = TypeRule::kByType;
};

constexpr bool shorterOrBefore(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

constexpr std::array<TypeRow, 54> kByType{{
    {"ARC", "AcDbArc"},
    {"RAY", "AcDbRay"},
    {"BODY", "AcDbBody"},
    {"LINE", "AcDbLine"},
    {"MESH", "AcDbSubDMesh"},
    {"TEXT", "AcDbText"},
    {"HATCH", "AcDbHatch"},
    {"HELIX", "AcDbHelix"},
    {"IMAGE", "AcDbRasterImage"},
    {"LIGHT", "AcDbLight"},
    {"MLINE", "AcDbMline"},
    {"MTEXT", "AcDbMText"},
    {"POINT", "AcDbPoint"},
    {"SHAPE", "AcDbShape"},
    {"SOLID", "AcDbTrace"},
    {"TRACE", "AcDbTrace"},
    {"XLINE", "AcDbXline"},
    {"3DFACE", "AcDbFace"},
    {"ATTDEF", "AcDbAttributeDefinition"},
    {"ATTRIB", "AcDbAttribute"},
    {"CAMERA", "AcDbCamera"},
    {"CIRCLE", "AcDbCircle"},
    {"INSERT", {}, TypeRule::kInsert},
    {"LEADER", "AcDbLeader"},
    {"REGION", "AcDbRegion"},
    {"SPLINE", "AcDbSpline"},
    {"3DSOLID", "AcDb3dSolid"},
    {"ELLIPSE", "AcDbEllipse"},
    {"WIPEOUT", "AcDbWipeout"},
    {"MPOLYGON", "AcDbMPolygon"},
    {"OLEFRAME", "AcDbOleFrame"},
    {"POLYLINE", {}, TypeRule::kPolyline},
    {"VIEWPORT", "AcDbViewport"},
    {"DIMENSION", {}, TypeRule::kDimension},
    {"OLE2FRAME", "AcDbOle2Frame"},
    {"TOLERANCE", "AcDbFcf"},
    {"ACAD_TABLE", "AcDbTable"},
    {"LWPOLYLINE", "AcDbPolyline"},
    {"POINTCLOUD", "AcDbPointCloud"},
    {"DGNUNDERLAY", "AcDbDgnReference"},
    {"DWFUNDERLAY", "AcDbDwfReference"},
    {"MULTILEADER", "AcDbMLeader"},
    {"NURBSURFACE", "AcDbNurbSurface"},
    {"PDFUNDERLAY", "AcDbPdfReference"},
    {"PLANESURFACE", "AcDbPlaneSurface"},
    {"SWEPTSURFACE", "AcDbSweptSurface"},
    {"ARC_DIMENSION", "AcDbArcDimension"},
    {"LOFTEDSURFACE", "AcDbLoftedSurface"},
    {"SECTIONOBJECT", "AcDbSection"},
    {"EXTRUDEDSURFACE", "AcDbExtrudedSurface"},
    {"REVOLVEDSURFACE", "AcDbRevolvedSurface"},
    {"ACAD_PROXY_ENTITY", "AcDbProxyEntity"},
    {"GEOPOSITIONMARKER", "AcDbGeoPositionMarker"},
    {"LARGE_RADIAL_DIMENSION", "AcDbRadialDimensionLarge"},
}};

static_assert(std::is_sorted(kByType.begin(), kByType.end(),
                             [](const TypeRow& a, const TypeRow& b) {
                                 return shorterOrBefore(a.type, b.type);
                             }));

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
    const auto* row = std::lower_bound(
        kByType.begin(), kByType.end(), type,
        [](const TypeRow& r, std::string_view t) { return shorterOrBefore(r.type, t); });
    if (row == kByType.end() || row->type != type) return {};
    return {row->rule, static_cast<Id>(row - kByType.begin())};
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
    if (clues.lastMarker.empty()) return kNoClassId;
    const auto known = fromFileIds_.find(clues.lastMarker);
    if (known != fromFileIds_.end()) return known->second;
    const Id id = kFirstFromFile + static_cast<Id>(fromFile_.size());
    fromFile_.push_back(fromFileIds_.emplace(clues.lastMarker, id).first->first);
    return id;
}

std::string_view ClassNames::name(Id id) const {
    if (id < kFirstDerived) return kByType[id].name;
    if (id < kNoClassId) return kDerived[id - kFirstDerived];
    if (id == kNoClassId) return kNoClass;
    return fromFile_.at(id - kFirstFromFile);
}

}  // namespace dxf
