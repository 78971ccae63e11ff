#include "storage/temporary_names_win32.h"

#include <windows.h>

#include "storage/file_names.h"
#include "storage/random_text.h"
#include "storage/system_error_win32.h"
#include "storage/unique_handle.h"

namespace storage {

namespace {

// Enough for a run of names someone made in advance by chance; not so many that a folder that
// refuses every name holds a save up.
constexpr int kTries = 16;

}  // namespace

std::filesystem::path createTemporaryBeside(const std::filesystem::path& file) {
    for (int i = 0; i < kTries; ++i) {
        const std::filesystem::path name = folderOf(file) / ("zdr" + randomHexDigits(16) + ".tmp");
        const UniqueHandle made = ownHandle(CreateFileW(
            name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (made) return name;
        const DWORD cause = GetLastError();
        if (cause != ERROR_FILE_EXISTS && cause != ERROR_ALREADY_EXISTS) break;
    }
    throw lastError(Action::kSave, file);
}

}  // namespace storage
