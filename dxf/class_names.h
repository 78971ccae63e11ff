#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dxf {

// What besides its type decides an entity's class name.
struct ClassClues {
    long long flags = 0;          // group 70: the kind of POLYLINE and DIMENSION, INSERT columns
    long long rows = 1;           // group 71 of an INSERT
    std::string_view lastMarker;  // the last subclass marker as in the file, padded or not, for
                                  // the types this library does not know
};

// How an entity's type decides its class.
enum class TypeRule : std::uint8_t {
    kByType,     // the type alone
    kInsert,     // with groups 70 and 71: a block reference or a multi-insert
    kPolyline,   // with group 70
    kDimension,  // with group 70
    kByMarker,   // a type this library does not know: its last subclass marker
};

// An entity type as looked up once, when the entity starts.
struct EntityType {
    TypeRule rule = TypeRule::kByMarker;
    std::uint32_t row = 0;  // in the table of known types

    bool needsFlags() const { return rule != TypeRule::kByType && rule != TypeRule::kByMarker; }
    bool blockReference() const { return rule == TypeRule::kInsert; }
};

// The class names of one drawing's entities as numbers, so that an index of millions of entities
// keeps no string per entity. The names this library knows have fixed numbers; a name only the
// file knows (the last subclass marker of a type not in the table) is kept once, numbered after
// them.
class ClassNames {
public:
    using Id = std::uint32_t;

    // `type` is an entity's group 0.
    static EntityType typeOf(std::string_view type);
    // The class the CAD application answers for an entity of `type`, whoever wrote the file:
    // taken from the type; for a type not in the table the last subclass marker, or "AcDbEntity"
    // when there is none.
    Id idOf(EntityType type, const ClassClues& clues);
    std::string_view name(Id id) const;
    // Every id below this one names a class.
    Id count() const;

private:
    std::map<std::string, Id, std::less<>> fromFileIds_;
    std::vector<std::string_view> fromFile_;  // the keys of fromFileIds_, by number
};

}  // namespace dxf
