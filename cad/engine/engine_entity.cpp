#include "cad/engine/engine_entity.h"

#include <algorithm>

#include "cad/engine/engine_attribute.h"
#include "cad/error.h"

namespace cad::engine {

namespace {

class EngineBlockReference : public BlockReference {
public:
    EngineBlockReference(DrawingRef drawing, std::vector<dxf::AttributeSlot> slots)
        : drawing_(std::move(drawing)), slots_(std::move(slots)) {}

    AttributeArray getAttributes() override {
        drawing_.ensureOpen();
        std::vector<std::shared_ptr<Attribute>> attributes(slots_.size());
        std::transform(
            slots_.begin(), slots_.end(), attributes.begin(),
            [this](const dxf::AttributeSlot& slot) { return makeAttribute(drawing_, slot); });
        return AttributeArray(0, std::move(attributes));
    }

private:
    DrawingRef drawing_;
    std::vector<dxf::AttributeSlot> slots_;
};

class EngineEntity : public Entity {
public:
    EngineEntity(DrawingRef drawing, dxf::EntityDetails details)
        : drawing_(std::move(drawing)), details_(std::move(details)) {}

    std::u16string entityName() override {
        drawing_.ensureOpen();
        return {details_.className.begin(), details_.className.end()};  // class names are ASCII
    }

    std::shared_ptr<BlockReference> asBlockReference() override {
        drawing_.ensureOpen();
        if (!details_.blockReference) {
            throw Error(errc::kNoInterface,
                        u"不支持此接口：这个实体（" + entityName() + u"）不是块参照。");
        }
        return std::make_shared<EngineBlockReference>(drawing_, details_.attributes);
    }

private:
    DrawingRef drawing_;
    dxf::EntityDetails details_;
};

}  // namespace

std::shared_ptr<Entity> makeEntity(DrawingRef drawing, dxf::EntityDetails details) {
    return std::make_shared<EngineEntity>(std::move(drawing), std::move(details));
}

}  // namespace cad::engine
