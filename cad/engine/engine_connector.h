#pragma once

#include <memory>

#include "cad/object_model.h"

namespace cad::engine {

// The built-in drawing engine as the CAD application "AutoCAD.Application". It never runs on its
// own, so attach always fails; launch starts one with an untitled, empty drawing.
std::unique_ptr<Connector> makeEngineConnector();

// Lets SIGINT, SIGTERM and SIGHUP end the process only between saves, never halfway through one.
void deferTerminationDuringSaves();

}  // namespace cad::engine
