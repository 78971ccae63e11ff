#include "dxf/entity_reader.h"

#include <optional>

#include "dxf/class_names.h"
#include "dxf/group_codes.h"
#include "dxf/own_tags.h"

namespace dxf {

EntityDetails readEntity(std::string_view data, Layout layout, const EntitySpan& span,
                         const std::filesystem::path& source) {
    TagScanner scanner(data.substr(0, span.end), layout, span.begin, source);
    EntityDetails details;
    Tag tag;
    scanner.next(tag);
    const std::string_view type = trimmed(scanner.value(tag));
    details.blockReference = type == "INSERT";
    ClassClues clues;
    clues.lastMarker = trimmed(data.substr(span.markerBegin, span.markerEnd - span.markerBegin));
    // Most types name their class alone; read again are only those whose class depends on their
    // flags, block references among them, whose attributes follow them.
    if (!classNeedsFlags(type)) {
        details.className = std::string(classNameOf(type, clues));
        return details;
    }

    OwnTags own;
    std::optional<AttributeSlot> attribute;
    // Where a missing value goes: after the text height, as the DXF reference orders an ATTRIB's
    // tags; without a height, before its tag or its own subclass; else after its last own tag,
    // never among extended data, where it would not be the attribute's value.
    std::optional<std::size_t> afterHeight, beforeTag, afterOwn;
    bool heightJustRead = false;
    bool ownJustRead = false;
    bool inEntity = true;
    const auto finishAttribute = [&](std::size_t end) {
        if (!attribute) return;
        attribute->multiline = own.sawEmbeddedObject();
        if (!attribute->hasValue) {
            attribute->valueBegin = attribute->valueEnd =
                afterHeight.value_or(beforeTag.value_or(afterOwn.value_or(end)));
        }
        details.attributes.push_back(*attribute);
        attribute.reset();
    };

    while (scanner.next(tag)) {
        const std::string_view value = scanner.value(tag);
        if (heightJustRead) afterHeight = tag.begin;
        if (ownJustRead) afterOwn = tag.begin;
        heightJustRead = ownJustRead = false;
        if (tag.code == 0) {
            finishAttribute(tag.begin);
            inEntity = false;
            own.restart();
            afterHeight.reset();
            beforeTag.reset();
            afterOwn.reset();
            if (details.blockReference && trimmed(value) == "ATTRIB") attribute.emplace();
            ownJustRead = attribute.has_value();
            continue;
        }
        if (!own.accept(tag, value)) continue;
        if (inEntity) {
            if (tag.code == 70) clues.flags = scanner.intValue(tag).value_or(0);
            if (tag.code == 71) clues.rows = scanner.intValue(tag).value_or(1);
            continue;
        }
        if (!attribute) continue;
        ownJustRead = true;
        if (tag.code == 40 && !afterHeight) heightJustRead = true;
        if (!beforeTag && (tag.code == 2 || (tag.code == group_code::kSubclassMarker &&
                                             trimmed(value) == "AcDbAttribute"))) {
            beforeTag = tag.begin;
        }
        if (tag.code == 2 && !attribute->hasTag) {
            attribute->hasTag = true;
            attribute->tagBegin = tag.valueBegin;
            attribute->tagEnd = tag.valueEnd;
        } else if (tag.code == 1 && !attribute->hasValue) {
            attribute->hasValue = true;
            attribute->valueBegin = tag.valueBegin;
            attribute->valueEnd = tag.valueEnd;
        }
    }
    finishAttribute(span.end);
    details.className = std::string(classNameOf(type, clues));
    return details;
}

}  // namespace dxf
