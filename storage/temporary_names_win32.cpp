#include "storage/temporary_names_win32.h"

#include <windows.h>

#include "storage/file_names.h"
#include "storage/system_error_win32.h"

namespace storage {

std::filesystem::path createTemporaryBeside(const std::filesystem::path& file) {
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(folderOf(file).c_str(), L"zdr", 0, name) == 0) {
        throw lastError(Action::kSave, file);
    }
    return name;
}

}  // namespace storage
