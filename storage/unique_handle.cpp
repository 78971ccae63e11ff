#include "storage/unique_handle.h"

#include <windows.h>

namespace storage {

void HandleCloser::operator()(void* handle) const { CloseHandle(handle); }

UniqueHandle ownHandle(void* handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace storage
