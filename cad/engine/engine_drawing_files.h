#pragma once

#include <memory>

#include "cad/drawing_files.h"

namespace cad::engine {

// The drawing files as the engine saves them: the target of a link is replaced and NAME.bak
// beside it keeps the previous version.
std::unique_ptr<DrawingFiles> makeEngineDrawingFiles();

}  // namespace cad::engine
