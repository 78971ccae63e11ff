#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace base {

// A path held as UTF-16 <-> the path the system takes: on Windows the same UTF-16, elsewhere the
// bytes it stands for (nameBytesToUtf16), so a name the system handed over reaches open() and
// rename() exactly as it came.
std::filesystem::path pathOf(std::u16string_view name);
std::u16string nameOf(const std::filesystem::path& path);

}  // namespace base
