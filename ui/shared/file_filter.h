#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shared {

// One entry of an open-file dialog's filter list.
struct FilterEntry {
    std::u16string description;
    std::vector<std::u16string> patterns;
};

// The dialog settings' filter, "description|pattern" pairs with patterns separated by ';', as
// entries. A description without patterns names nothing to list and is dropped. With
// `listDxfForDwg` every DWG pattern is followed by its DXF twin ("*.dwg" -> "*.dxf"), because
// the built-in engine's drawings are DXF.
std::vector<FilterEntry> filterEntries(std::u16string_view filter, bool listDxfForDwg);

}  // namespace shared
