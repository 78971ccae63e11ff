#include "storage/system_error_posix.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

namespace storage {

namespace fs = std::filesystem;

namespace {

// The Windows error code that the same cause gives there, so both systems number it alike.
std::uint32_t win32CodeOf(int err, Action action, const fs::path& path) {
    switch (err) {
        case ENOENT: {
            // Windows tells a missing folder from a missing file.
            struct stat folder {};
            const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
            return ::stat(parent.c_str(), &folder) == 0 ? 2 : 3;
        }
        case ENOTDIR:
            return 3;
        case EACCES:
        case EPERM:
            return 5;
        case EISDIR:
            return 336;
        case ELOOP:
        case EINVAL:
            return 123;
        case ENAMETOOLONG:
            return 206;
        case EMFILE:
        case ENFILE:
            return 4;
        case ENOMEM:
            return 14;
        case EROFS:
            return 19;
        case EBUSY:
        case ETXTBSY:
            return 32;
        case ENOSPC:
        case EDQUOT:
            return 112;
        case EFBIG:
            return 223;
        case EIO:
            return action == Action::kOpen ? 30 : 29;
        case EEXIST:
            return 80;
        case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
        case ENOTSUP:
#endif
            return 50;
        default:
            return 31;
    }
}

}  // namespace

Error errnoError(int err, Action action, const fs::path& path) {
    return Error::system(win32CodeOf(err, action, path), action, path);
}

}  // namespace storage
