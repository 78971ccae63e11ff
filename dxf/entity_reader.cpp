#include "dxf/entity_reader.h"

#include <optional>

#include "dxf/class_names.h"
#include "dxf/own_tags.h"

namespace dxf {

EntityDetails readEntity(std::string_view data, Layout layout, const EntitySpan& span,
                         const std::filesystem::path& source) {
    TagScanner scanner(data.substr(0, span.end), layout, span.begin, source);
    EntityDetails details;
    Tag tag;
    scanner.next(tag);
    const std::string type(trimmed(scanner.value(tag)));
    details.blockReference = type == "INSERT";
    // The index found each entity's last subclass marker, which names its class. Read again are
    // only block references (their class depends on their counts, their attributes follow them)
    // and entities without markers (R12: the class follows from the type and flags).
    const std::string_view marker =
        trimmed(data.substr(span.markerBegin, span.markerEnd - span.markerBegin));
    if (!details.blockReference && !marker.empty()) {
        details.className = std::string(marker);
        return details;
    }

    long long flags = 0;
    long long rows = 1;
    OwnTags own;
    std::optional<AttributeSlot> attribute;
    bool inEntity = true;
    const auto finishAttribute = [&] {
        if (!attribute) return;
        attribute->multiline = own.sawEmbeddedObject();
        details.attributes.push_back(*attribute);
        attribute.reset();
    };

    while (scanner.next(tag)) {
        const std::string_view value = scanner.value(tag);
        if (tag.code == 0) {
            finishAttribute();
            inEntity = false;
            own.restart();
            if (details.blockReference && trimmed(value) == "ATTRIB") attribute.emplace();
            continue;
        }
        if (!own.accept(tag, value)) continue;
        if (inEntity) {
            if (tag.code == 70) flags = scanner.intValue(tag).value_or(0);
            if (tag.code == 71) rows = scanner.intValue(tag).value_or(1);
        } else if (attribute && tag.code == 2 && !attribute->hasTag) {
            attribute->hasTag = true;
            attribute->tagBegin = tag.valueBegin;
            attribute->tagEnd = tag.valueEnd;
        } else if (attribute && tag.code == 1 && !attribute->hasValue) {
            attribute->hasValue = true;
            attribute->valueBegin = tag.valueBegin;
            attribute->valueEnd = tag.valueEnd;
        }
    }
    finishAttribute();

    if (details.blockReference) {
        // Group 70 of an INSERT is its column count: rows or columns above 1 make a multi-insert.
        const bool multi = flags > 1 || rows > 1;
        details.className = multi ? "AcDbMInsertBlock" : "AcDbBlockReference";
    } else {
        details.className = std::string(classNameOfType(type, flags));
    }
    return details;
}

}  // namespace dxf
