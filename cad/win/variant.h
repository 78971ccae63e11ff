#pragma once

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

namespace cad::automation {

// An owned VARIANT: initialised empty and cleared (releasing what it holds) on destruction.
class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARTYPE type() const noexcept { return value_.vt; }

private:
    VARIANT value_;
};

// The value of a result as the member's documented type. Each throws cad::Error (with the
// conversion's HRESULT) when the CAD application answered something that does not convert.
std::u16string toString(const Variant& value);
std::int32_t toInt32(const Variant& value);
bool toBool(const Variant& value);
Microsoft::WRL::ComPtr<IDispatch> toDispatch(const Variant& value);

}  // namespace cad::automation
