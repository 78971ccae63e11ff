#include "cad/win/windows_path.h"

#include <windows.h>

namespace cad::automation {

namespace {

std::wstring fullPathOf(std::u16string_view path) {
    const std::wstring name(path.begin(), path.end());
    if (name.empty() || name.find(L'\0') != std::wstring::npos) return {};
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // too small: length is the size needed
    }
}

}  // namespace

bool isSamePath(std::u16string_view a, std::u16string_view b) {
    const std::wstring fullA = fullPathOf(a);
    const std::wstring fullB = fullPathOf(b);
    return !fullA.empty() &&
           CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace cad::automation
