#include "cad/engine/session.h"

namespace cad::engine {

void Session::replace(dxf::Drawing next) {
    drawing_ = std::move(next);
    ++generation_;
}

}  // namespace cad::engine
