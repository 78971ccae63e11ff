#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/case_folding.h"
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
    std::vector<std::string> listing;
    while (const dirent* entry = ::readdir(dir.get())) listing.emplace_back(entry->d_name);
    return foldsCaseOf(listing,
                       [&](const std::string& name) { return entryIdentityOf(folder / name); });
}

bool isRegularFile(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace storage
