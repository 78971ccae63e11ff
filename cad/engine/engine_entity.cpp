#include "cad/engine/engine_entity.h"

#include <algorithm>

#include "cad/engine/engine_attribute.h"
#include "cad/error.h"

namespace cad::engine {

namespace {

// The handles keep only the entity's number: the drawing's index holds the rest, so handing out
// an entity copies nothing.
class EngineBlockReference : public BlockReference {
public:
    EngineBlockReference(DrawingRef drawing, std::size_t index)
        : drawing_(std::move(drawing)), index_(index) {}

    AttributeArray getAttributes() override {
        const auto slots = drawing_.drawing().entity(index_).attributes;
        std::vector<std::shared_ptr<Attribute>> attributes(slots.size());
        std::transform(
            slots.begin(), slots.end(), attributes.begin(),
            [this](const dxf::AttributeSlot& slot) { return makeAttribute(drawing_, slot); });
        return AttributeArray(0, std::move(attributes));
    }

private:
    DrawingRef drawing_;
    std::size_t index_;
};

class EngineEntity : public Entity {
public:
    EngineEntity(DrawingRef drawing, std::size_t index)
        : drawing_(std::move(drawing)), index_(index) {}

    std::u16string entityName() override {
        const std::string_view name = drawing_.drawing().entity(index_).className;
        return {name.begin(), name.end()};  // class names are ASCII
    }

    std::shared_ptr<BlockReference> asBlockReference() override {
        if (!drawing_.drawing().entity(index_).blockReference) {
            throw Error(errc::kNoInterface,
                        u"不支持此接口：这个实体（" + entityName() + u"）不是块参照。");
        }
        return std::make_shared<EngineBlockReference>(drawing_, index_);
    }

private:
    DrawingRef drawing_;
    std::size_t index_;
};

}  // namespace

std::shared_ptr<Entity> makeEntity(DrawingRef drawing, std::size_t index) {
    return std::make_shared<EngineEntity>(std::move(drawing), index);
}

}  // namespace cad::engine
