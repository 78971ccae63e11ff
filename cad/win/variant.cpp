#include "cad/win/variant.h"

#include "cad/error.h"
#include "cad/win/bstr.h"
#include "cad/win/com_error.h"

namespace cad::automation {

namespace {

// A copy of `value` coerced to `type`, by-reference values followed.
void convert(const Variant& value, Variant& converted, VARTYPE type) {
    check(VariantChangeType(converted.get(), const_cast<VARIANT*>(value.get()), 0, type));
}

}  // namespace

std::u16string toString(const Variant& value) {
    Variant converted;
    convert(value, converted, VT_BSTR);
    return toU16(converted.get()->bstrVal);
}

std::int32_t toInt32(const Variant& value) {
    Variant converted;
    convert(value, converted, VT_I4);
    return converted.get()->lVal;
}

bool toBool(const Variant& value) {
    Variant converted;
    convert(value, converted, VT_BOOL);
    return converted.get()->boolVal != VARIANT_FALSE;
}

Microsoft::WRL::ComPtr<IDispatch> toDispatch(const Variant& value) {
    Variant converted;
    convert(value, converted, VT_DISPATCH);
    // VT_DISPATCH may legally hold nothing; for an object the model promises, that is a failure.
    if (converted.get()->pdispVal == nullptr) throw objectNotSet();
    return converted.get()->pdispVal;
}

}  // namespace cad::automation
