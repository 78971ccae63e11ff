#pragma once

#include <memory>

namespace storage {

// Closes a Windows handle (a HANDLE, which is a void*); kept out of <windows.h>'s reach here so
// that including this header does not bring in its macros.
struct HandleCloser {
    void operator()(void* handle) const;
};

// An open Windows handle, closed when it goes; never INVALID_HANDLE_VALUE (see ownHandle).
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Takes over `handle` as CreateFile returns it: INVALID_HANDLE_VALUE becomes an empty owner.
UniqueHandle ownHandle(void* handle);

}  // namespace storage
