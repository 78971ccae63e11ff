#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace cad::automation {

// A CAD application rejects automation calls while it opens or regenerates a drawing, and one
// just launched rejects its first calls. Such a call is made again after a wait: 250 ms at first,
// then as long as the call has waited so far, at most 1 s, until 60 s have passed since the first
// try. The OLE message filter and the retry of Invoke both keep to this.
inline constexpr DWORD kBusyPatienceMs = 60000;

// The wait before the next try of a call rejected `elapsedMs` after its first try; nullopt once
// the patience is spent.
std::optional<DWORD> busyRetryDelay(ULONGLONG elapsedMs);

// Whether `hr` is the CAD application saying it is busy: RPC_E_CALL_REJECTED or
// RPC_E_SERVERCALL_RETRYLATER.
bool isBusy(HRESULT hr);

// The time the retries keep, in milliseconds; tests bring their own.
struct BusyClock {
    std::function<ULONGLONG()> now;
    std::function<void(DWORD)> wait;
};

// The system's clock, whose wait keeps the program's windows painted without letting a click
// start anything.
const BusyClock& systemClock();

// Makes `call` until it answers something other than busy or the patience is spent, and returns
// its last answer.
HRESULT retryWhileBusy(const std::function<HRESULT()>& call,
                       const BusyClock& clock = systemClock());

}  // namespace cad::automation
