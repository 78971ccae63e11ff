#include "cad/object_model.h"

#include "cad/error.h"

namespace cad {

const std::shared_ptr<Attribute>& AttributeArray::at(std::int32_t index) const {
    const auto offset = static_cast<std::int64_t>(index) - lowerBound_;
    if (offset < 0 || offset >= static_cast<std::int64_t>(items_.size())) {
        throw Error(errc::kBadIndex, u"属性数组下标越界。");
    }
    return items_[static_cast<std::size_t>(offset)];
}

}  // namespace cad
