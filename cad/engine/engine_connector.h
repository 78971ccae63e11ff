#pragma once

#include <memory>

#include "cad/connector_options.h"
#include "cad/object_model.h"

namespace cad::engine {

// The built-in drawing engine as the CAD application "AutoCAD.Application". It never runs on its
// own, so attach always fails; launch starts one with an untitled, empty drawing. Of `options`
// only holdDrawings and titleBlocksOnly apply.
std::unique_ptr<Connector> makeEngineConnector(const ConnectorOptions& options = {});

// Lets SIGINT, SIGTERM and SIGHUP end the process only between saves, never halfway through one.
void deferTerminationDuringSaves();

}  // namespace cad::engine
