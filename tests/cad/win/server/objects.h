#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "server/session.h"

namespace server {

// A new application object over `session`, with one reference for the caller.
IDispatch* newApplication(const std::shared_ptr<Session>& session);

}  // namespace server
