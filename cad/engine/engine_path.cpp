#include "cad/engine/engine_path.h"

#include "base/unicode.h"

namespace cad::engine {

std::filesystem::path pathOf(const std::u16string& fullPath) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(fullPath.begin(), fullPath.end()));
#else
    return std::filesystem::path(base::utf16ToUtf8(fullPath));
#endif
}

std::u16string fullPathOf(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.u16string();
#else
    return base::utf8ToUtf16(path.native());
#endif
}

}  // namespace cad::engine
