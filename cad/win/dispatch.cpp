#include "cad/win/dispatch.h"

#include <string>
#include <vector>

#include "cad/win/busy_retry.h"
#include "cad/win/com_error.h"

namespace cad::automation {

Dispatch::Dispatch(Microsoft::WRL::ComPtr<IDispatch> object, SharedApartment apartment)
    : apartment_(std::move(apartment)), object_(std::move(object)) {}

DISPID Dispatch::idOf(std::wstring_view member) const {
    std::wstring name(member);  // GetIDsOfNames wants a writable, terminated name
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    check(retryWhileBusy(
        [&] { return object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); }));
    return id;
}

void Dispatch::invoke(DISPID id, WORD flags, DISPPARAMS& parameters, VARIANT* result) const {
    ExceptionInfo exception;
    UINT badArgument = 0;
    // A CAD application that rejects a call while busy does so itself here as well, where COM's
    // message filter does not see it.
    const HRESULT hr = retryWhileBusy([&] {
        return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result,
                               exception.get(), &badArgument);
    });
    if (FAILED(hr)) throw errorFromInvoke(hr, exception);
}

void Dispatch::call(std::wstring_view member, Variant& result,
                    std::initializer_list<VARIANT*> arguments) const {
    // Invoke takes the arguments last to first.
    std::vector<VARIANT> reversed;
    reversed.reserve(arguments.size());
    for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it) {
        reversed.push_back(**it);  // a shallow copy: the caller's Variant still owns the value
    }
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VariantClear(result.get());
    invoke(idOf(member), DISPATCH_METHOD | DISPATCH_PROPERTYGET, parameters, result.get());
}

void Dispatch::put(std::wstring_view member, VARIANT& value) const {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&value, &named, 1, 1};
    invoke(idOf(member), DISPATCH_PROPERTYPUT, parameters, nullptr);
}

Dispatch Dispatch::wrap(const Variant& object) const { return {toDispatch(object), apartment_}; }

}  // namespace cad::automation
