#pragma once

#include <memory>

#include "cad/drawing_files.h"
#include "cad/object_model.h"

namespace cad {

// The connector for this platform: the automation client where the platform has one, with the
// built-in drawing engine behind it.
std::unique_ptr<Connector> makePlatformConnector();

// The drawing files as this platform's backends save them. A CAD application keeps NAME.bak
// beside the drawing as the engine does, so the engine's answers hold for both.
std::unique_ptr<DrawingFiles> makePlatformDrawingFiles();

}  // namespace cad
