#pragma once

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <initializer_list>
#include <iterator>
#include <string_view>

#include "cad/win/com_apartment.h"
#include "cad/win/variant.h"

namespace cad::automation {

// An automation object reached by late binding: every member is looked up by name with
// GetIDsOfNames and called with Invoke, so no type library or vendor header is needed.
// Every call throws cad::Error on failure; a call the CAD application rejects as busy is made
// again (retryWhileBusy) before it fails.
class Dispatch {
public:
    Dispatch(Microsoft::WRL::ComPtr<IDispatch> object, SharedApartment apartment);

    // A property get or a method call (Visual Basic's late binding sends both flags, and servers
    // rely on it). `arguments` are in the order the member declares them.
    void call(std::wstring_view member, Variant& result,
              std::initializer_list<VARIANT*> arguments = {}) const;
    void put(std::wstring_view member, VARIANT& value) const;

    // The member's DISPID; throws when the object has no member of that name.
    DISPID idOf(std::wstring_view member) const;

    // Another object from the same server, sharing this one's apartment.
    Dispatch wrap(const Variant& object) const;

private:
    void invoke(DISPID id, WORD flags, DISPPARAMS& parameters, VARIANT* result) const;

    // Declared first so that it is destroyed last, after the interface is released.
    SharedApartment apartment_;
    Microsoft::WRL::ComPtr<IDispatch> object_;
};

}  // namespace cad::automation
