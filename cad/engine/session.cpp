#include "cad/engine/session.h"

#include "cad/engine/engine_errors.h"

namespace cad::engine {

void Session::replace(dxf::Drawing next) {
    drawing_ = std::move(next);
    ++generation_;
}

dxf::Drawing& DrawingRef::drawing() const {
    ensureOpen();
    return session_->drawing();
}

void DrawingRef::ensureOpen() const {
    if (session_->generation() != generation_) throw drawingClosed();
}

}  // namespace cad::engine
