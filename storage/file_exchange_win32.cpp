#include <windows.h>

#include "storage/file_exchange.h"
#include "storage/system_error_win32.h"
#include "storage/temporary_names_win32.h"

namespace storage {

namespace fs = std::filesystem;

void exchangeFiles(const fs::path& first, const fs::path& second) {
    // Windows has no exchange of two names; the file's lock keeps other savers out meanwhile.
    const fs::path parked = createTemporaryBeside(first);
    if (!MoveFileExW(first.c_str(), parked.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const Error failure = lastError(Action::kSave, first);
        DeleteFileW(parked.c_str());
        throw failure;
    }
    if (!MoveFileExW(second.c_str(), first.c_str(), 0)) {
        const Error failure = lastError(Action::kSave, first);
        MoveFileExW(parked.c_str(), first.c_str(), 0);
        throw failure;
    }
    if (!MoveFileExW(parked.c_str(), second.c_str(), MOVEFILE_WRITE_THROUGH)) {
        throw lastError(Action::kSave, second);
    }
}

}  // namespace storage
