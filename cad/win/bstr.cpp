#include "cad/win/bstr.h"

#include <new>

namespace cad::automation {

// wchar_t is UTF-16 on Windows, so a char16_t string is an OLECHAR string as it stands.
static_assert(sizeof(OLECHAR) == sizeof(char16_t));

Bstr::Bstr(std::u16string_view text)
    : bstr_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                              static_cast<UINT>(text.size()))) {
    if (bstr_ == nullptr) throw std::bad_alloc();
}

std::u16string toU16(BSTR bstr) {
    if (bstr == nullptr) return {};
    return {reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr)};
}

}  // namespace cad::automation
