#pragma once

#include <memory>
#include <vector>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

// The model-space collection of the drawing `drawing` refers to.
std::shared_ptr<ModelSpace> makeModelSpace(const DrawingRef& drawing);
// Its paper-space layouts in tab order, each a collection like model space.
std::vector<std::shared_ptr<ModelSpace>> makeLayouts(const DrawingRef& drawing);

}  // namespace cad::engine
