#include "base/path_name.h"

#include "base/unicode.h"

namespace base {

std::filesystem::path pathOf(std::u16string_view name) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(name.begin(), name.end()));
#else
    return std::filesystem::path(utf16ToNameBytes(name));
#endif
}

std::u16string nameOf(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    return std::u16string(wide.begin(), wide.end());
#else
    return nameBytesToUtf16(path.native());
#endif
}

}  // namespace base
