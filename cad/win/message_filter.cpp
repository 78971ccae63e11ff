#include "cad/win/message_filter.h"

#include "cad/win/busy_retry.h"
#include "cad/win/permanent.h"

namespace cad::automation {

namespace {

// What RetryRejectedCall answers to have the call cancelled: COM then fails it with
// RPC_E_CALL_REJECTED.
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

class BusyMessageFilter final : public Permanent<IMessageFilter> {
public:
    BusyMessageFilter() : Permanent(IID_IMessageFilter) {}

    // The program serves nothing: what reaches it (COM's own calls) is handled as it comes.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        // SERVERCALL_REJECTED is the application's final word; only "later" is waited for.
        if (rejectType != SERVERCALL_RETRYLATER) return kCancelCall;
        const auto delay = busyRetryDelay(elapsedMs);
        return delay ? *delay : kCancelCall;
    }
    // As without a filter: painting goes on while a call is out, input waits.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

}  // namespace

IMessageFilter* busyMessageFilter() {
    static BusyMessageFilter filter;
    return &filter;
}

}  // namespace cad::automation
