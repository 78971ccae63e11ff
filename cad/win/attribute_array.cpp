#include "cad/win/attribute_array.h"

#include <oleauto.h>

#include <cstdint>
#include <vector>

#include "cad/win/com_error.h"

namespace cad::automation {

AttributeArray toAttributeArray(const Variant& result, const AttributeMaker& make) {
    SAFEARRAY* array = result.type() == (VT_ARRAY | VT_VARIANT) ? result.get()->parray : nullptr;
    if (array == nullptr || SafeArrayGetDim(array) != 1) check(DISP_E_TYPEMISMATCH);
    LONG lower = 0;
    LONG upper = 0;
    check(SafeArrayGetLBound(array, 1, &lower));
    check(SafeArrayGetUBound(array, 1, &upper));
    std::vector<std::shared_ptr<Attribute>> items;
    // 64-bit, so that an upper bound at the top of LONG's range still ends the loop.
    for (std::int64_t i = lower; i <= upper; ++i) {
        auto index = static_cast<LONG>(i);
        Variant element;
        check(SafeArrayGetElement(array, &index, element.get()));  // a copy the Variant owns
        items.push_back(make(element));
    }
    return {lower, std::move(items)};
}

}  // namespace cad::automation
