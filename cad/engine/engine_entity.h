#pragma once

#include <cstddef>
#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

// The model-space entity at `index` (< the drawing's model-space count); an INSERT (multi-insert
// included) is also a block reference.
std::shared_ptr<Entity> makeEntity(DrawingRef drawing, std::size_t index);

}  // namespace cad::engine
