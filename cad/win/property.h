#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cad/win/dispatch.h"

namespace cad::automation {

// A property's value, or what a method called without arguments answers, as the member's
// documented type. Each throws cad::Error as Dispatch::call does, or when the answer does not
// convert.
std::u16string stringOf(const Dispatch& object, std::wstring_view member);
std::int32_t int32Of(const Dispatch& object, std::wstring_view member);
bool boolOf(const Dispatch& object, std::wstring_view member);
// Another object of the model, such as a document's ModelSpace.
Dispatch objectOf(const Dispatch& object, std::wstring_view member);

}  // namespace cad::automation
