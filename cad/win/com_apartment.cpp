#include "cad/win/com_apartment.h"

#include <windows.h>

#include <objbase.h>

#include "cad/win/com_error.h"

namespace cad::automation {

ComApartment::ComApartment() {
    // S_FALSE (already initialised the same way) still needs its matching CoUninitialize.
    check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() { CoUninitialize(); }

}  // namespace cad::automation
