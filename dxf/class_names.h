#pragma once

#include <string_view>

namespace dxf {

// What besides its type decides an entity's class name.
struct ClassClues {
    long long flags = 0;          // group 70: the kind of POLYLINE and DIMENSION, INSERT columns
    long long rows = 1;           // group 71 of an INSERT
    std::string_view lastMarker;  // the last subclass marker, for types this library does not know
};

// True for the types whose class needs the entity's group 70 or 71.
bool classNeedsFlags(std::string_view type);

// The class name the CAD application answers for an entity of `type` (its group 0), whoever wrote
// the file: taken from the type; for a type not in the table the last subclass marker, or
// "AcDbEntity" when there is none.
std::string_view classNameOf(std::string_view type, const ClassClues& clues);

}  // namespace dxf
