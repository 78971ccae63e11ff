#pragma once

#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"
#include "dxf/entity_reader.h"

namespace cad::engine {

// One model-space entity; an INSERT (multi-insert included) is also a block reference.
std::shared_ptr<Entity> makeEntity(DrawingRef drawing, dxf::EntityDetails details);

}  // namespace cad::engine
