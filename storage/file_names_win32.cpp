#include <windows.h>

#include "storage/file_names.h"
#include "storage/unique_handle.h"

namespace storage {

namespace fs = std::filesystem;

std::optional<FileIdentity> identityOf(const fs::path& path) {
    // No access is asked for: only the file's numbers are read, even from a folder.
    const UniqueHandle file = ownHandle(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Windows folders ignore letter case unless a folder has been made case-sensitive, which takes
// an administrator's command; treating names as one then only refuses, never loses.
bool foldsCase(const fs::path&) { return true; }

bool isRegularFile(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace storage
