#pragma once

#include <memory>

#include "cad/object_model.h"

namespace cad {

// The connector for this platform: the automation client where the platform has one, with the
// built-in drawing engine behind it.
std::unique_ptr<Connector> makePlatformConnector();

// Lets SIGINT, SIGTERM and SIGHUP end the process (as their default does) only between saves of
// the built-in engine, so none leaves a temporary file or a half-written drawing behind.
void deferTerminationDuringSaves();

}  // namespace cad
