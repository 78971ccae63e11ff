#include "cad/win/com_apartment.h"

#include <windows.h>

#include <objbase.h>

#include "cad/win/com_error.h"

namespace cad::automation {

ComApartment::ComApartment() {
    // S_FALSE (already initialised the same way) still needs its matching CoUninitialize.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) throw errorFromHresult(hr);
}

ComApartment::~ComApartment() { CoUninitialize(); }

}  // namespace cad::automation
