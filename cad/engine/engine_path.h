#pragma once

#include <filesystem>
#include <string>

namespace cad::engine {

// The file a path of the object model names.
std::filesystem::path pathOf(const std::u16string& fullPath);

// The inverse: how the object model names `path`.
std::u16string fullPathOf(const std::filesystem::path& path);

}  // namespace cad::engine
