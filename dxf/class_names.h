#pragma once

#include <string_view>

namespace dxf {

// The class name of an entity whose file carries no subclass markers (R12): the name the last
// subclass marker would give in later versions. `flags` is the entity's group 70 (0 if none),
// which tells the kinds of POLYLINE and DIMENSION apart. "AcDbEntity" for unknown types.
std::string_view classNameOfType(std::string_view type, long long flags);

}  // namespace dxf
