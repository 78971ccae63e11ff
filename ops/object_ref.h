#pragma once

#include <memory>

#include "cad/error.h"

namespace ops {

// A call through an object reference that holds nothing fails the way the automation interface
// does (not set), instead of crashing: start-up may leave AcadApp or acadDoc empty.
template <typename T>
const std::shared_ptr<T>& checked(const std::shared_ptr<T>& object) {
    if (!object) throw cad::objectNotSet();
    return object;
}

template <typename T>
T& deref(const std::shared_ptr<T>& object) {
    return *checked(object);
}

}  // namespace ops
