#include "cad/win/message_filter.h"

#include "cad/win/busy_retry.h"

namespace cad::automation {

namespace {

// What RetryRejectedCall answers to have the call cancelled: COM then fails it with
// RPC_E_CALL_REJECTED.
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

class BusyMessageFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *object = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

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
