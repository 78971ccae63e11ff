#include "server/busy.h"

#include "cad/win/permanent.h"

namespace server {

namespace {

// Every call arrives on the one apartment thread, so plain variables suffice.
Journal busyJournal;
int filterTurnsAway = 0;
int invokeTurnsAway = 0;

class BusyMessageFilter final : public cad::automation::Permanent<IMessageFilter> {
public:
    BusyMessageFilter() : Permanent(IID_IMessageFilter) {}

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        if (filterTurnsAway == 0) return SERVERCALL_ISHANDLED;
        --filterTurnsAway;
        busyJournal.write(L"busy: message filter answers SERVERCALL_RETRYLATER");
        return SERVERCALL_RETRYLATER;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

}  // namespace

void turnAwayFirstCalls(const Journal& journal, int byMessageFilter, int byInvoke) {
    busyJournal = journal;
    filterTurnsAway = byMessageFilter;
    invokeTurnsAway = byInvoke;
}

bool turnsAwayInvoke() {
    if (invokeTurnsAway == 0) return false;
    --invokeTurnsAway;
    busyJournal.write(L"busy: Invoke answers RPC_E_CALL_REJECTED");
    return true;
}

IMessageFilter* busyMessageFilter() {
    static BusyMessageFilter filter;
    return &filter;
}

}  // namespace server
