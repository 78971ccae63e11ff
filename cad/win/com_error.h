#pragma once

#include <windows.h>

#include <oaidl.h>

#include "cad/error.h"

namespace cad::automation {

// A failed COM call as the object model's error: the HRESULT as the number, the system's message
// for it as the description (or a numbered fallback when the system has none).
Error errorFromHresult(HRESULT hr);

// Throws errorFromHresult(hr) when `hr` reports a failure; S_OK and S_FALSE pass.
void check(HRESULT hr);

// The exception details an IDispatch::Invoke may fill in; its strings are freed on destruction.
class ExceptionInfo {
public:
    ExceptionInfo() noexcept : info_{} {}
    ~ExceptionInfo();
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    EXCEPINFO* get() noexcept { return &info_; }

private:
    EXCEPINFO info_;
};

// A failed IDispatch::Invoke. With DISP_E_EXCEPTION the server's EXCEPINFO speaks: its scode (or
// its wCode as a run-time error number) and its description, where it gave them.
Error errorFromInvoke(HRESULT hr, ExceptionInfo& info);

}  // namespace cad::automation
