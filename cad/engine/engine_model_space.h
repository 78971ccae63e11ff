#pragma once

#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

// The model-space collection of the drawing `drawing` refers to.
std::shared_ptr<ModelSpace> makeModelSpace(const DrawingRef& drawing);

}  // namespace cad::engine
