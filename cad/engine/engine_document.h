#pragma once

#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

// The document of the engine's one open drawing. Every document handle addresses whatever
// drawing is open at the time of the call.
std::shared_ptr<Document> makeDocument(std::shared_ptr<Session> session);

}  // namespace cad::engine
