#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cad/object_model.h"
#include "cad/startup.h"

namespace ops {

// Opens `path` through acadDoc and returns the model space of the application's (new) active
// document. The document the open returns is released unused.
std::shared_ptr<cad::ModelSpace> openModelSpace(const cad::Connection& connection,
                                                const std::u16string& path);

// Walks the first `count` entities of `modelSpace` in order and, for every attribute of every
// block reference whose tag is in the field map, calls `onAttribute` with it and its field.
void forEachTitleBlockAttribute(
    cad::ModelSpace& modelSpace, std::int32_t count,
    const std::function<void(cad::Attribute& attribute, int field)>& onAttribute);

}  // namespace ops
