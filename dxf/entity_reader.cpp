#include "dxf/entity_reader.h"

namespace dxf {

void EntityReader::selectCodes(TagSelection& selection) {
    // Paper space, what some types are told apart by, and the codes that tell an entity's own
    // tags from what follows them.
    for (const int code :
         {group_code::kPaperSpace, 70, 71, group_code::kSubclassMarker, group_code::kEmbeddedObject,
          group_code::kApplicationData, group_code::kExtendedData}) {
        selection.codes[static_cast<std::size_t>(code)] = 1;
    }
}

bool EntityReader::belongsToEntityBefore(std::string_view type) {
    return type == "ATTRIB" || type == "SEQEND" || type == "VERTEX";
}

void EntityReader::startEntityOrSubEntity(const Tag& tag) {
    const std::string_view type = trimmed(values_.value(tag));
    if (belongsToEntityBefore(type)) {
        startSubEntity(tag, type);
        return;
    }
    finish(tag.begin);
    startEntity(type);
}

void EntityReader::finish(std::size_t end) {
    if (reading_ == Reading::kNothing) return;
    // The positions still to be noted stay unnoted: the entity ends here, and a missing value
    // goes into it rather than before the next one.
    finishAttribute(end);
    reading_ = Reading::kNothing;
    std::vector<IndexedEntity>* target = inPaperSpace_ ? paperSpace_ : &modelSpace_;
    if (target == nullptr) {
        out_.attributes.resize(firstAttribute_);
        return;
    }
    target->push_back({out_.classNames.idOf(type_, clues_),
                       static_cast<std::uint32_t>(firstAttribute_),
                       static_cast<std::uint32_t>(out_.attributes.size() - firstAttribute_),
                       type_.blockReference()});
}

void EntityReader::startEntity(std::string_view type) {
    reading_ = Reading::kEntity;
    type_ = ClassNames::typeOf(type);
    inPaperSpace_ = false;
    clues_ = {};
    firstAttribute_ = out_.attributes.size();
    own_.restart();
}

void EntityReader::readOwnTag(const Tag& tag, std::string_view value) {
    switch (tag.code) {
        case group_code::kPaperSpace:
            inPaperSpace_ = values_.intValue(tag) == 1;
            break;
        case group_code::kSubclassMarker:
            clues_.lastMarker = value;
            break;
        case 70:
            clues_.flags = values_.intValue(tag).value_or(0);
            break;
        case 71:
            clues_.rows = values_.intValue(tag).value_or(1);
            break;
        default:
            break;
    }
}

void EntityReader::startSubEntity(const Tag& tag, std::string_view type) {
    if (reading_ == Reading::kNothing) return;  // belongs to no entity
    notePositionsBefore(tag.begin);
    finishAttribute(tag.begin);
    own_.restart();
    if (!type_.blockReference() || type != "ATTRIB") {
        reading_ = Reading::kOtherSubEntity;
        return;
    }
    out_.attributes.emplace_back();
    reading_ = Reading::kAttribute;
    afterHeight_.reset();
    beforeTag_.reset();
    afterOwn_.reset();
    justRead_ = kOwnTagRead;
}

void EntityReader::readAttributeTag(const Tag& tag, std::string_view value) {
    justRead_ = kOwnTagRead;
    if (tag.code == 40 && !afterHeight_) justRead_ |= kHeightRead;
    if (!beforeTag_ && (tag.code == 2 || (tag.code == group_code::kSubclassMarker &&
                                          trimmed(value) == "AcDbAttribute"))) {
        beforeTag_ = tag.begin;
    }
    AttributeSlot& slot = out_.attributes.back();
    if (tag.code == 2 && !slot.hasTag) {
        slot.hasTag = true;
        slot.tagBegin = tag.valueBegin;
        slot.tagEnd = tag.valueEnd;
    } else if (tag.code == 1 && !slot.hasValue) {
        slot.hasValue = true;
        slot.valueBegin = tag.valueBegin;
        slot.valueEnd = tag.valueEnd;
    }
}

void EntityReader::finishAttribute(std::size_t end) {
    justRead_ = 0;
    if (reading_ != Reading::kAttribute) return;
    AttributeSlot& slot = out_.attributes.back();
    slot.multiline = own_.sawEmbeddedObject();
    if (!slot.hasValue) {
        slot.valueBegin = slot.valueEnd =
            afterHeight_.value_or(beforeTag_.value_or(afterOwn_.value_or(end)));
    }
}

}  // namespace dxf
