#include "storage/system_error_win32.h"

#include <windows.h>

namespace storage {

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which MinGW's headers lack.
constexpr DWORD kDirectoryNotSupported = 336;

}  // namespace

Error lastError(Action action, const std::filesystem::path& path) {
    return Error::system(GetLastError(), action, path);
}

Error folderError(const std::filesystem::path& path) {
    return Error::system(kDirectoryNotSupported, Action::kOpen, path);
}

}  // namespace storage
