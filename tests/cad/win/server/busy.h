#pragma once

#include <windows.h>

#include <objidl.h>

#include "server/session.h"

namespace server {

// A CAD application busy opening or regenerating a drawing: it turns its first calls away, each
// written to `journal`. `byMessageFilter` calls through its OLE message filter
// (SERVERCALL_RETRYLATER, which COM gives to the client's message filter), `byInvoke` calls by
// answering RPC_E_CALL_REJECTED from IDispatch::Invoke itself.
void turnAwayFirstCalls(const Journal& journal, int byMessageFilter, int byInvoke);

// Whether Invoke turns this call away.
bool turnsAwayInvoke();

// The message filter that turns calls away; registered only where some are to be.
IMessageFilter* busyMessageFilter();

}  // namespace server
