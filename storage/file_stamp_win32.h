#pragma once

#include <windows.h>

#include "storage/file_stamp.h"

namespace storage {

inline FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info) {
    const auto wide = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    return {info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
            wide(info.nFileSizeHigh, info.nFileSizeLow),
            static_cast<std::int64_t>(
                wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

// The stamp of the open file `file`; false when the system cannot tell.
inline bool stampOf(HANDLE file, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    stamp = stampOf(info);
    return true;
}

}  // namespace storage
