#include "dxf/class_names.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dxf {

namespace {

// Sorted by type, for a binary search: the walk of a large drawing names every entity.
constexpr std::array<std::pair<std::string_view, std::string_view>, 51> kByType{{
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
    {"DWFUNDERLAY", "AcDbDwfReference"},
    {"ELLIPSE", "AcDbEllipse"},
    {"EXTRUDEDSURFACE", "AcDbExtrudedSurface"},
    {"GEOPOSITIONMARKER", "AcDbGeoPositionMarker"},
    {"HATCH", "AcDbHatch"},
    {"HELIX", "AcDbHelix"},
    {"IMAGE", "AcDbRasterImage"},
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

static_assert(std::is_sorted(kByType.begin(), kByType.end()));

std::string_view polylineClass(long long flags) {
    if (flags & 16) return "AcDbPolygonMesh";
    if (flags & 64) return "AcDbPolyFaceMesh";
    if (flags & 8) return "AcDb3dPolyline";
    return "AcDb2dPolyline";
}

std::string_view dimensionClass(long long flags) {
    constexpr std::array<std::string_view, 7> kByKind{
        "AcDbRotatedDimension",   "AcDbAlignedDimension", "AcDb2LineAngularDimension",
        "AcDbDiametricDimension", "AcDbRadialDimension",  "AcDb3PointAngularDimension",
        "AcDbOrdinateDimension"};
    const auto kind = static_cast<std::size_t>(flags & 7);  // the higher bits are flags
    if (kind >= kByKind.size()) return "AcDbDimension";
    return kByKind[kind];
}

// Group 70 of an INSERT is its column count: rows or columns above 1 make a multi-insert.
std::string_view insertClass(const ClassClues& clues) {
    return clues.flags > 1 || clues.rows > 1 ? "AcDbMInsertBlock" : "AcDbBlockReference";
}

}  // namespace

bool classNeedsFlags(std::string_view type) {
    return type == "INSERT" || type == "POLYLINE" || type == "DIMENSION";
}

std::string_view classNameOf(std::string_view type, const ClassClues& clues) {
    if (type == "INSERT") return insertClass(clues);
    if (type == "POLYLINE") return polylineClass(clues.flags);
    if (type == "DIMENSION") return dimensionClass(clues.flags);
    const auto row =
        std::lower_bound(kByType.begin(), kByType.end(), type,
                         [](const auto& r, std::string_view t) { return r.first < t; });
    if (row != kByType.end() && row->first == type) return row->second;
    return clues.lastMarker.empty() ? "AcDbEntity" : clues.lastMarker;
}

}  // namespace dxf
