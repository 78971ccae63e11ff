#include <windows.h>

#include "storage/error.h"
#include "storage/savable.h"

namespace storage {

void ensureSavable(const std::filesystem::path& target) {
    // A file with the read-only attribute stays as it is, as editors open it.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw Error::readOnly(target);
    }
}

}  // namespace storage
