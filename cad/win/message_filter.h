#pragma once

#include <windows.h>

#include <objidl.h>

namespace cad::automation {

// The OLE message filter of the program's apartment: when the CAD application answers a call
// with SERVERCALL_RETRYLATER, COM asks it whether and when to try again, and it answers by
// busyRetryDelay. One object for the whole program; its reference count is not kept.
IMessageFilter* busyMessageFilter();

}  // namespace cad::automation
