#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

namespace cad::automation {

// An owned BSTR, made with SysAllocStringLen so that it carries its length prefix (marshalling
// across processes needs a real BSTR, not a wide-string literal) and freed on destruction.
class Bstr {
public:
    explicit Bstr(std::u16string_view text);
    ~Bstr() { SysFreeString(bstr_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const noexcept { return bstr_; }

private:
    BSTR bstr_;
};

// The text of a BSTR owned by someone else; a null BSTR is the empty string, as COM defines it.
std::u16string toU16(BSTR bstr);

}  // namespace cad::automation
