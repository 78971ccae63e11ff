#include "cad/win/busy_retry.h"

#include <algorithm>

namespace cad::automation {

namespace {

constexpr ULONGLONG kFirstWaitMs = 250;
constexpr ULONGLONG kLongestWaitMs = 1000;

// Sent messages are delivered inside these calls, and painting is done; posted input waits for
// the operation's end, as it does while a call is out.
void waitPainting(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now),
                                    QS_SENDMESSAGE | QS_PAINT, 0);
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

std::optional<DWORD> busyRetryDelay(ULONGLONG elapsedMs) {
    if (elapsedMs >= kBusyPatienceMs) return std::nullopt;
    const ULONGLONG wait = std::clamp(elapsedMs, kFirstWaitMs, kLongestWaitMs);
    return static_cast<DWORD>(std::min(wait, kBusyPatienceMs - elapsedMs));
}

bool isBusy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

const BusyClock& systemClock() {
    static const BusyClock clock{GetTickCount64, waitPainting};
    return clock;
}

HRESULT retryWhileBusy(const std::function<HRESULT()>& call, const BusyClock& clock) {
    const ULONGLONG start = clock.now();
    for (;;) {
        const HRESULT hr = call();
        if (!isBusy(hr)) return hr;
        const auto delay = busyRetryDelay(clock.now() - start);
        if (!delay) return hr;
        clock.wait(*delay);
    }
}

}  // namespace cad::automation
