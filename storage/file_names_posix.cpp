#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "storage/file_names.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

std::optional<FileIdentity> identityFrom(int result, const struct stat& st) {
    if (result != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

// The folder entry itself, not what a link in it points to.
std::optional<FileIdentity> entryIdentityOf(const fs::path& path) {
    struct stat st {};
    return identityFrom(::lstat(path.c_str(), &st), st);
}

std::string withOtherCase(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<FileIdentity> identityOf(const fs::path& path) {
    struct stat st {};
    return identityFrom(::stat(path.c_str(), &st), st);
}

bool foldsCase(const fs::path& folder) {
    const std::unique_ptr<DIR, FolderCloser> dir(::opendir(folder.c_str()));
    if (!dir) return true;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        const std::string other = withOtherCase(name);
        if (other == name) continue;
        const auto self = entryIdentityOf(folder / name);
        if (!self) continue;
        const auto twin = entryIdentityOf(folder / other);
        return twin && twin->device == self->device && twin->index == self->index;
    }
    return true;
}

bool isRegularFile(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace storage
