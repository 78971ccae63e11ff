#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "dxf/group_codes.h"
#include "dxf/model_space_index.h"
#include "dxf/own_tags.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// Reads the entities of an ENTITIES section, or of a block definition, from their tags as the one
// pass over the file meets them: each top-level entity with its class and, for a block reference,
// where its attributes' tags and values lie, into `modelSpace`, or into `paperSpace` when it is
// marked as paper space (left out without one). Their attributes and class names go into `out`.
// An entity's ATTRIB, VERTEX and SEQEND entities belong to it. Nothing needs reading twice.
class EntityReader {
public:
    EntityReader(const TagValues& values, ModelSpaceIndex& out,
                 std::vector<IndexedEntity>& modelSpace, std::vector<IndexedEntity>* paperSpace)
        : values_(values), out_(out), modelSpace_(modelSpace), paperSpace_(paperSpace) {}

    // The tags the reader needs: those with the codes it adds to `selection` wherever they are,
    // and all those of an object whose type `readsWhole` accepts. It ignores all others.
    static void selectCodes(TagSelection& selection);
    // Where an attribute's missing value goes depends on whichever of its tags comes last. Inline:
    // the scanner asks it of every group 0 in a file.
    static bool readsWhole(std::string_view type) { return type == "ATTRIB"; }
    // Whether an entity of `type` (ATTRIB, VERTEX, SEQEND) belongs to the entity before it.
    static bool belongsToEntityBefore(std::string_view type);

    // The next tag of the section: every tag the selection keeps but comments and the closing
    // ENDSEC. Called for most tags of a file, so what most tags need is here, where it can be
    // inlined.
    void add(const Tag& tag) {
        if (tag.code == 0) {
            startEntityOrSubEntity(tag);
            return;
        }
        switch (reading_) {
            case Reading::kEntity: {
                const std::string_view value = values_.value(tag);
                if (own_.accept(tag, value) &&
                    (tag.code == group_code::kPaperSpace ||
                     tag.code == group_code::kSubclassMarker ||
                     (type_.needsFlags() && (tag.code == 70 || tag.code == 71)))) {
                    readOwnTag(tag, value);
                }
                return;
            }
            case Reading::kAttribute: {
                notePositionsBefore(tag.begin);
                const std::string_view value = values_.value(tag);
                if (own_.accept(tag, value)) readAttributeTag(tag, value);
                return;
            }
            case Reading::kNothing:
            case Reading::kOtherSubEntity:
                return;
        }
    }
    // The section ends at `end`.
    void finish(std::size_t end);

private:
    void startEntityOrSubEntity(const Tag& tag);
    void startEntity(std::string_view type);
    void readOwnTag(const Tag& tag, std::string_view value);
    void startSubEntity(const Tag& tag, std::string_view type);
    void readAttributeTag(const Tag& tag, std::string_view value);
    void finishAttribute(std::size_t end);
    // The tag after the text height, and after each own tag of an ATTRIB, is where a missing
    // value may go.
    void notePositionsBefore(std::size_t at) {
        if ((justRead_ & kHeightRead) != 0) afterHeight_ = at;
        if ((justRead_ & kOwnTagRead) != 0) afterOwn_ = at;
        justRead_ = 0;
    }

    TagValues values_;
    ModelSpaceIndex& out_;
    std::vector<IndexedEntity>& modelSpace_;
    std::vector<IndexedEntity>* paperSpace_;

    enum class Reading : std::uint8_t {
        kNothing,         // before the first entity, or after the section
        kEntity,          // a top-level entity's own tags
        kAttribute,       // an ATTRIB of a block reference
        kOtherSubEntity,  // any other ATTRIB, VERTEX or SEQEND: nothing to note
    };
    Reading reading_ = Reading::kNothing;

    // The top-level entity being read.
    EntityType type_;
    bool inPaperSpace_ = false;
    ClassClues clues_;
    std::size_t firstAttribute_ = 0;
    OwnTags own_;  // of the entity or sub-entity being read

    // The ATTRIB being read, the last of out_.attributes. Where a missing value goes: after the
    // text height, as the DXF reference orders an ATTRIB's tags; without a height, before its
    // tag or its own subclass; else after its last own tag, never among extended data, where it
    // would not be the attribute's value.
    std::optional<std::size_t> afterHeight_, beforeTag_, afterOwn_;
    static constexpr std::uint8_t kHeightRead = 1;  // the last tag was the text height
    static constexpr std::uint8_t kOwnTagRead = 2;  // the last tag was one of its own
    std::uint8_t justRead_ = 0;
};

}  // namespace dxf
