#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "cad/win/dispatch.h"

namespace cad::automation {

// The CAD application's collections (an application's Documents, a drawing's Layouts, model
// space and the blocks of layouts): Count items, reached by a 0-based Item.

std::int32_t countOf(const Dispatch& collection);

// Item(index). By reference, as Visual Basic passes a variable; the CAD application accepts that
// form.
Dispatch itemOf(const Dispatch& collection, std::int32_t index);

// Every item of the collection `owner`.`member`, in the collection's order; Count is read once.
std::vector<Dispatch> itemsOf(const Dispatch& owner, std::wstring_view member);

}  // namespace cad::automation
