#include "dxf/layout_reader.h"

#include <algorithm>

namespace dxf {

namespace {

// Block names and handles are compared regardless of case, as CAD programs compare them; names
// beyond ASCII are left as they are.
std::string upperAscii(std::string_view text) {
    std::string upper(trimmed(text));
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

}  // namespace

void LayoutReader::startObject(const Tag& tag, bool blocks) {
    const std::string_view type = trimmed(values_.value(tag));
    if (reading_ == Reading::kBlock) {
        // The block's own tags end here: its entities follow, up to its ENDBLK.
        reading_ = Reading::kNothing;
        if (name_.starts_with(kActiveLayoutBlock)) {
            std::vector<IndexedEntity>& entities = blocks_[name_];
            blockEntities_.emplace(values_, out_, entities, &entities);
            reading_ = Reading::kBlockEntities;
        }
    }
    if (reading_ == Reading::kBlockEntities) {
        if (type != "ENDBLK" && type != "BLOCK") {
            blockEntities_->add(tag);
            return;
        }
        blockEntities_->finish(tag.begin);
        blockEntities_.reset();
        reading_ = Reading::kNothing;
    }
    finishObject();
    handle_.clear();
    name_.clear();
    tabOrder_ = 0;
    inLayoutData_ = false;
    if (blocks) {
        reading_ = type == "BLOCK" ? Reading::kBlock : Reading::kNothing;
    } else if (type == "BLOCK_RECORD") {
        reading_ = Reading::kBlockRecord;
    } else {
        reading_ = type == "LAYOUT" ? Reading::kLayout : Reading::kNothing;
    }
}

void LayoutReader::readObjectTag(const Tag& tag) {
    const std::string_view value = values_.value(tag);
    switch (reading_) {
        case Reading::kBlockRecord:
            if (tag.code == 5) handle_ = upperAscii(value);
            if (tag.code == 2) name_ = upperAscii(value);
            break;
        case Reading::kBlock:
            if (tag.code == 2 && name_.empty()) name_ = upperAscii(value);
            break;
        case Reading::kLayout:
            // Its plot settings come first and use some of the same codes.
            if (tag.code == group_code::kSubclassMarker) {
                inLayoutData_ = trimmed(value) == "AcDbLayout";
            } else if (inLayoutData_ && tag.code == 71) {
                tabOrder_ = values_.intValue(tag).value_or(0);
            } else if (inLayoutData_ && tag.code == 330) {
                handle_ = upperAscii(value);
            }
            break;
        case Reading::kNothing:
        case Reading::kBlockEntities:
            break;
    }
}

void LayoutReader::finishObject() {
    if (reading_ == Reading::kBlockRecord && !handle_.empty()) blockNames_[handle_] = name_;
    if (reading_ == Reading::kLayout) layouts_.push_back({tabOrder_, handle_});
}

void LayoutReader::finishSection(std::size_t end) {
    if (reading_ == Reading::kBlockEntities) blockEntities_->finish(end);
    blockEntities_.reset();
    finishObject();
    reading_ = Reading::kNothing;
}

void LayoutReader::finish() {
    std::vector<std::string> blockNames;
    if (layouts_.empty()) {
        blockNames.emplace_back(kActiveLayoutBlock);
    } else {
        std::stable_sort(
            layouts_.begin(), layouts_.end(),
            [](const LayoutObject& a, const LayoutObject& b) { return a.tabOrder < b.tabOrder; });
        for (const LayoutObject& layout : layouts_) {
            const auto named = blockNames_.find(layout.blockRecord);
            // The model layout, and any whose block record is missing, hold no paper space.
            if (named != blockNames_.end() && named->second.starts_with(kActiveLayoutBlock)) {
                blockNames.push_back(named->second);
            }
        }
    }
    out_.modelSpaceCount = out_.entities.size();
    for (const std::string& name : blockNames) {
        const std::vector<IndexedEntity>& entities = blocks_[name];
        out_.layouts.push_back({out_.entities.size(), entities.size()});
        out_.entities.insert(out_.entities.end(), entities.begin(), entities.end());
    }
}

}  // namespace dxf
