#pragma once

#include <memory>

#include "cad/object_model.h"
#include "cad/win/dispatch.h"

namespace cad::automation {

// The CAD application object reached through automation; every other object of the model is
// reached from it. With `closeOwnDrawings`, the drawings it opens are closed when done with
// (ConnectorOptions::closeOwnDrawings).
std::shared_ptr<Application> makeApplication(Dispatch application, bool closeOwnDrawings = false);

}  // namespace cad::automation
