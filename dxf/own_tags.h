#pragma once

#include <string_view>

#include "dxf/group_codes.h"
#include "dxf/tag_scanner.h"

namespace dxf {

// Tells an entity's own tags from the extended data, embedded objects and application groups
// that follow or interrupt them. The file index and the entity reader both ask here, so that
// they always agree on which tags describe an entity.
class OwnTags {
public:
    void restart() { *this = OwnTags(); }

    // True when `tag`, whose value is `value`, is one of the entity's own tags.
    bool accept(const Tag& tag, std::string_view value) {
        if (!own_) return false;
        // Most tags come before the codes that open groups, objects and extended data.
        if (tag.code < group_code::kEmbeddedObject) return !inAppGroup_;
        if (tag.code == group_code::kApplicationData) {
            inAppGroup_ = value.substr(0, 1) == "{";
            return false;
        }
        if (inAppGroup_) return false;
        if (tag.code == group_code::kEmbeddedObject) embedded_ = true;
        if (tag.code == group_code::kExtendedData || tag.code == group_code::kEmbeddedObject) {
            own_ = false;
        }
        return own_;
    }
    bool sawEmbeddedObject() const { return embedded_; }

private:
    bool own_ = true;
    bool inAppGroup_ = false;
    bool embedded_ = false;
};

}  // namespace dxf
