#include "cad/engine/engine_attribute.h"

#include "cad/engine/engine_errors.h"

namespace cad::engine {

namespace {

class EngineAttribute : public Attribute {
public:
    EngineAttribute(DrawingRef drawing, const dxf::AttributeSlot& slot)
        : drawing_(std::move(drawing)), slot_(slot) {}

    std::u16string tagString() override { return drawing_.drawing().attributeTag(slot_); }

    std::u16string textString() override { return drawing_.drawing().attributeValue(slot_); }

    void putTextString(const std::u16string& value) override {
        dxf::Drawing& drawing = drawing_.drawing();
        translated([&] { drawing.putAttributeValue(slot_, value); });
    }

private:
    DrawingRef drawing_;
    dxf::AttributeSlot slot_;
};

}  // namespace

std::shared_ptr<Attribute> makeAttribute(DrawingRef drawing, const dxf::AttributeSlot& slot) {
    return std::make_shared<EngineAttribute>(std::move(drawing), slot);
}

}  // namespace cad::engine
