#pragma once

#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"
#include "dxf/model_space_index.h"

namespace cad::engine {

// One ATTRIB of a block reference: its tag, and its value to read and to put.
std::shared_ptr<Attribute> makeAttribute(DrawingRef drawing, const dxf::AttributeSlot& slot);

}  // namespace cad::engine
