#include "cad/win/com_apartment.h"

#include <windows.h>

#include <objbase.h>

#include "cad/win/com_error.h"
#include "cad/win/message_filter.h"

namespace cad::automation {

namespace {

// The apartments alive on this thread, and the filter the first of them replaced.
thread_local int apartments = 0;
thread_local IMessageFilter* previousFilter = nullptr;

}  // namespace

ComApartment::ComApartment() {
    // S_FALSE (already initialised the same way) still needs its matching CoUninitialize.
    check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (apartments++ == 0) CoRegisterMessageFilter(busyMessageFilter(), &previousFilter);
}

ComApartment::~ComApartment() {
    if (--apartments == 0) {
        CoRegisterMessageFilter(previousFilter, nullptr);
        if (previousFilter != nullptr) previousFilter->Release();  // the reference we were given
        previousFilter = nullptr;
    }
    CoUninitialize();
}

}  // namespace cad::automation
