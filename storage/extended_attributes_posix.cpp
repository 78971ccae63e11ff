#include "storage/extended_attributes_posix.h"

#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace storage {

namespace fs = std::filesystem;

namespace {

// The names of the extended attributes of `path`, or of `fd` when `fd` >= 0. None where the
// file system has none.
std::vector<std::string> attributeNames(const fs::path& path, int fd) {
    for (;;) {
        const ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.c_str(), nullptr, 0);
        if (size <= 0) return {};
        std::string list(static_cast<std::size_t>(size), '\0');
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, list.data(), list.size())
                                    : ::listxattr(path.c_str(), list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue;  // an attribute was added meanwhile
        if (got < 0) return {};
        std::vector<std::string> names;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::size_t end = list.find('\0', at);
            names.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        return names;
    }
}

// The value of the extended attribute `name` of `path`, or of `fd` when `fd` >= 0. On failure it
// is empty and errno is set; on success errno is 0.
std::string attributeValue(const fs::path& path, int fd, const std::string& name) {
    for (;;) {
        const auto get = [&](void* buffer, std::size_t size) {
            return fd >= 0 ? ::fgetxattr(fd, name.c_str(), buffer, size)
                           : ::getxattr(path.c_str(), name.c_str(), buffer, size);
        };
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return {};
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t got = get(value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;  // it grew meanwhile
        if (got < 0) return {};
        value.resize(static_cast<std::size_t>(got));
        errno = 0;
        return value;
    }
}

}  // namespace

bool copyExtendedAttributes(const fs::path& path, int fd) {
    const std::vector<std::string> wanted = attributeNames(path, -1);
    for (const std::string& name : attributeNames({}, fd)) {
        // A new file may inherit attributes the original does not have (a folder's default
        // access list).
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(fd, name.c_str()) != 0) {
            return false;
        }
    }
    for (const std::string& name : wanted) {
        const std::string value = attributeValue(path, -1, name);
        if (value.empty() && errno != 0) return false;
        // One the new file already has (a security label given on creation) is left alone:
        // setting even the same label may need a privilege.
        if (attributeValue({}, fd, name) == value && errno == 0) continue;
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

}  // namespace storage
