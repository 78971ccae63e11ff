#pragma once

#include <memory>

#include "cad/object_model.h"

namespace cad {

// The connector for this platform: the automation client where the platform has one, with the
// built-in drawing engine behind it.
std::unique_ptr<Connector> makePlatformConnector();

}  // namespace cad
