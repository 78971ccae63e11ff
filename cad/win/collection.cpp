#include "cad/win/collection.h"

#include "cad/win/property.h"
#include "cad/win/variant.h"

namespace cad::automation {

std::int32_t countOf(const Dispatch& collection) { return int32Of(collection, L"Count"); }

Dispatch itemOf(const Dispatch& collection, std::int32_t index) {
    LONG byReference = index;
    VARIANT argument{};
    argument.vt = VT_I4 | VT_BYREF;
    argument.plVal = &byReference;
    Variant result;
    collection.call(L"Item", result, {&argument});
    return collection.wrap(result);
}

std::vector<Dispatch> itemsOf(const Dispatch& owner, std::wstring_view member) {
    const Dispatch collection = objectOf(owner, member);
    std::vector<Dispatch> items;
    for (std::int32_t index = 0, count = countOf(collection); index < count; ++index) {
        items.push_back(itemOf(collection, index));
    }
    return items;
}

}  // namespace cad::automation
