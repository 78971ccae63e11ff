#include "cad/engine/engine_path.h"

#include "base/path_name.h"

namespace cad::engine {

std::filesystem::path pathOf(const std::u16string& fullPath) { return base::pathOf(fullPath); }

std::u16string fullPathOf(const std::filesystem::path& path) { return base::nameOf(path); }

}  // namespace cad::engine
