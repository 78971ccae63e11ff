#pragma once

#include <memory>

#include "cad/connector_options.h"
#include "cad/drawing_files.h"
#include "cad/object_model.h"

namespace cad {

// The connector for this platform: the automation client where the platform has one, with the
// built-in drawing engine behind it. On Windows, a ProgID left empty in `options` is taken from
// the environment variable ZANDREL_CAD when that is set.
std::unique_ptr<Connector> makePlatformConnector(ConnectorOptions options = {});

// Lets SIGINT, SIGTERM and SIGHUP end the process (as their default does) only between saves of
// the built-in engine, so none leaves a temporary file or a half-written drawing behind.
void deferTerminationDuringSaves();

// The drawing files as this platform's backends save them. A CAD application keeps NAME.bak
// beside the drawing as the engine does, so the engine's answers hold for both.
std::unique_ptr<DrawingFiles> makePlatformDrawingFiles();

}  // namespace cad
