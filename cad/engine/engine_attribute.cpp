#include "cad/engine/engine_attribute.h"

#include "cad/engine/engine_errors.h"

namespace cad::engine {

std::u16string EngineAttribute::tagString() { return drawing_->drawing().attributeTag(slot_); }

std::u16string EngineAttribute::textString() { return drawing_->drawing().attributeValue(slot_); }

void EngineAttribute::putTextString(const std::u16string& value) {
    dxf::Drawing& drawing = drawing_->drawing();
    translated([&] { drawing.putAttributeValue(slot_, value); });
}

}  // namespace cad::engine
