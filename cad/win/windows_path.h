#pragma once

#include <string>
#include <string_view>

namespace cad::automation {

// Whether two paths name one file as Windows compares paths: each made full with
// GetFullPathNameW (the current folder, "." and ".." resolved, "/" taken as "\"), then compared
// ignoring letter case. A path that cannot be made full (the empty name of a drawing never saved)
// names no file.
bool isSamePath(std::u16string_view a, std::u16string_view b);

}  // namespace cad::automation
