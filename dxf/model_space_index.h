#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "dxf/class_names.h"

namespace dxf {

// Where one ATTRIB keeps its tag (group 2) and its value (group 1) in the file.
struct AttributeSlot {
    std::size_t tagBegin = 0;
    std::size_t tagEnd = 0;
    std::size_t valueBegin = 0;  // without group 1: both where a new value tag goes
    std::size_t valueEnd = 0;
    bool hasTag = false;     // a file may leave group 2 out
    bool hasValue = false;   // a file may leave group 1 out
    bool multiline = false;  // carries an embedded MTEXT, which holds the text as well
};

// What the object model asks of one model-space entity, as views into the drawing's index.
struct EntityDetails {
    std::string_view className;                 // the AcDb class, e.g. "AcDbBlockReference"
    bool blockReference = false;                // an INSERT, multi-insert or not
    std::span<const AttributeSlot> attributes;  // the ATTRIB entities up to its SEQEND
};

// One entity in the index: a drawing has millions, so no strings and no allocation
// of its own. 32 bits count the attributes: 2^32 of them would take far more memory than exists.
struct IndexedEntity {
    ClassNames::Id classId = 0;
    std::uint32_t firstAttribute = 0;  // into ModelSpaceIndex::attributes
    std::uint32_t attributeCount = 0;
    bool blockReference = false;
};

// A run of neighbouring entities in the index: one paper-space layout's.
struct EntityRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

// The model-space entities of a drawing in file order, then those of each paper-space layout in
// the layouts' tab order, with the attributes of all of them in one vector, each entity's in a row.
struct ModelSpaceIndex {
    std::vector<IndexedEntity> entities;
    std::vector<AttributeSlot> attributes;
    ClassNames classNames;
    std::size_t modelSpaceCount = 0;  // the first entities, up to the layouts'
    std::vector<EntityRange> layouts;

    std::size_t size() const { return modelSpaceCount; }
    // The entity at `index`, of model space or of a layout; throws std::out_of_range past the end.
    EntityDetails entity(std::size_t index) const {
        const IndexedEntity& found = entities.at(index);
        return {classNames.name(found.classId), found.blockReference, attributesOf(found)};
    }
    // Its attributes alone, for walks that need no class name.
    std::span<const AttributeSlot> attributesOf(std::size_t index) const {
        return attributesOf(entities.at(index));
    }

private:
    std::span<const AttributeSlot> attributesOf(const IndexedEntity& entity) const {
        return std::span(attributes).subspan(entity.firstAttribute, entity.attributeCount);
    }
};

}  // namespace dxf
