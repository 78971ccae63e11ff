#pragma once

#include "cad/engine/session.h"
#include "cad/object_model.h"
#include "dxf/model_space_index.h"

namespace cad::engine {

// One ATTRIB of a block reference: its tag, and its value to read and to put. It lives in a block
// of handles that also holds `drawing`; a handle given out keeps that block alive.
class EngineAttribute final : public Attribute {
public:
    EngineAttribute(const DrawingRef& drawing, const dxf::AttributeSlot& slot)
        : drawing_(&drawing), slot_(slot) {}

    std::u16string tagString() override;
    std::u16string textString() override;
    void putTextString(const std::u16string& value) override;

private:
    const DrawingRef* drawing_;
    dxf::AttributeSlot slot_;
};

}  // namespace cad::engine
