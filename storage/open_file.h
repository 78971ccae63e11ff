#pragma once

// The owner of an open file as this system has it: a descriptor, or on Windows a handle. Closing
// it ends every lock held through it.
#ifdef _WIN32
#include "storage/unique_handle.h"
namespace storage {
using OpenFile = UniqueHandle;
}
#else
#include "storage/unique_fd.h"
namespace storage {
using OpenFile = UniqueFd;
}
#endif
