#pragma once

#include <functional>
#include <memory>

#include "cad/object_model.h"
#include "cad/win/variant.h"

namespace cad::automation {

using AttributeMaker = std::function<std::shared_ptr<Attribute>(const Variant& element)>;

// GetAttributes' result: a one-dimensional SAFEARRAY of VARIANT, each holding an attribute
// object, with its own bounds (empty when the upper bound is below the lower one). `make` turns
// each element into an attribute. Any other shape throws cad::Error (DISP_E_TYPEMISMATCH).
AttributeArray toAttributeArray(const Variant& result, const AttributeMaker& make);

}  // namespace cad::automation
