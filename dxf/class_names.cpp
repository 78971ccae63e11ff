#include "dxf/class_names.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dxf {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 29> kByType{{
    {"LINE", "AcDbLine"},
    {"POINT", "AcDbPoint"},
    {"CIRCLE", "AcDbCircle"},
    {"ARC", "AcDbArc"},
    {"TRACE", "AcDbTrace"},
    {"SOLID", "AcDbTrace"},
    {"TEXT", "AcDbText"},
    {"SHAPE", "AcDbShape"},
    {"INSERT", "AcDbBlockReference"},
    {"ATTDEF", "AcDbAttributeDefinition"},
    {"ATTRIB", "AcDbAttribute"},
    {"3DFACE", "AcDbFace"},
    {"VIEWPORT", "AcDbViewport"},
    {"LWPOLYLINE", "AcDbPolyline"},
    {"MTEXT", "AcDbMText"},
    {"ELLIPSE", "AcDbEllipse"},
    {"SPLINE", "AcDbSpline"},
    {"HATCH", "AcDbHatch"},
    {"RAY", "AcDbRay"},
    {"XLINE", "AcDbXline"},
    {"LEADER", "AcDbLeader"},
    {"TOLERANCE", "AcDbFcf"},
    {"MLINE", "AcDbMline"},
    {"IMAGE", "AcDbRasterImage"},
    {"WIPEOUT", "AcDbWipeout"},
    {"3DSOLID", "AcDb3dSolid"},
    {"REGION", "AcDbRegion"},
    {"BODY", "AcDbBody"},
    {"MESH", "AcDbSubDMesh"},
}};

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

}  // namespace

std::string_view classNameOfType(std::string_view type, long long flags) {
    if (type == "POLYLINE") return polylineClass(flags);
    if (type == "DIMENSION") return dimensionClass(flags);
    const auto row = std::find_if(kByType.begin(), kByType.end(),
                                  [type](const auto& r) { return r.first == type; });
    return row == kByType.end() ? "AcDbEntity" : row->second;
}

}  // namespace dxf
