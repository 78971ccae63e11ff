#include "storage/temporary_names_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>  // renameat2
#include <map>
#include <memory>
#include <numeric>
#include <string_view>

#include "storage/kept_listings.h"
#include "storage/random_text.h"

namespace storage {

namespace {

// Enough for a run of names someone made in advance by chance; not so many that a folder that
// refuses every name (one full of links of that name) holds a save up.
constexpr int kTries = 16;

// What every name of ours starts with, whichever file it is for.
constexpr std::string_view kOurs = ".~zandrel-";

// What every name of ours for the file `name` starts with.
std::string prefixOf(const std::string& name) {
    const std::uint64_t hash =  // FNV-1a
        std::accumulate(name.begin(), name.end(), 14695981039346656037ULL,
                        [](std::uint64_t h, char c) {
                            return (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
                        });
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(kOurs) + text;
}

std::string suffixOf(const char* role) { return std::string(".") + role; }

// Every name of ours in the open folder `folder`, for whichever file.
std::vector<std::string> ourNamesIn(int folder) {
    std::vector<std::string> ours;
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return ours;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(own), ::closedir);
    if (!listing) {
        ::close(own);
        return ours;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view entryName = entry->d_name;
        if (entryName.starts_with(kOurs)) ours.emplace_back(entryName);
    }
    return ours;
}

}  // namespace

std::optional<std::string> makeUnderFreshName(const std::string& name, const char* role,
                                              const std::function<bool(const std::string&)>& make) {
    for (int i = 0; i < kTries; ++i) {
        const std::string fresh = prefixOf(name) + "-" + randomHexDigits(16) + suffixOf(role);
        if (make(fresh)) return fresh;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> parkUnderFreshName(int folder, const std::string& from,
                                              const std::string& name, const char* role) {
    auto parked = makeUnderFreshName(name, role, [&](const std::string& fresh) {
        return ::linkat(folder, from.c_str(), folder, fresh.c_str(), 0) == 0;
    });
    if (parked || errno == EEXIST) return parked;
    return makeUnderFreshName(name, role, [&](const std::string& fresh) {
        if (::renameat2(folder, from.c_str(), folder, fresh.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        // A file system that cannot refuse to replace: the name is one no one could foretell.
        return (errno == EINVAL || errno == ENOSYS) &&
               ::renameat(folder, from.c_str(), folder, fresh.c_str()) == 0;
    });
}

std::map<std::string, std::vector<std::string>, std::less<>> temporaryNamesIn(
    int folder, const std::string& name, Look look) {
    std::map<std::string, std::vector<std::string>, std::less<>> found;
    struct stat st {};
    if (::fstat(folder, &st) != 0) return found;
    const FileIdentity identity{static_cast<std::uint64_t>(st.st_dev),
                                static_cast<std::uint64_t>(st.st_ino)};
    const std::string prefix = prefixOf(name);
    for (const std::string& entryName :
         listingOf(identity, look, [folder] { return ourNamesIn(folder); })) {
        if (!entryName.starts_with(prefix)) continue;
        // The role is what follows the last dot (suffixOf); the prefix starts with a dot.
        found[entryName.substr(entryName.rfind('.') + 1)].push_back(entryName);
    }
    return found;
}

}  // namespace storage
