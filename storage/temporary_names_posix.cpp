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

// What makes the mark apart from the names a run makes under it.
constexpr const char* kMarkRole = "busy";

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

std::string markOf(const std::string& name) { return prefixOf(name) + suffixOf(kMarkRole); }

std::optional<std::string> OurNames::make(const char* role,
                                          const std::function<bool(const std::string&)>& make) {
    if (!markMade_) {
        // Whatever has the mark's name already (a run's mark, or someone's folder) serves as one.
        if (::mknodat(folder_, markOf(name_).c_str(), S_IFREG | 0600, 0) == 0) {
            markMade_ = true;
        } else if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    for (int i = 0; i < kTries; ++i) {
        const std::string fresh = prefixOf(name_) + "-" + randomHexDigits(16) + suffixOf(role);
        if (make(fresh)) return fresh;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> OurNames::park(const std::string& from, const char* role) {
    auto parked = make(role, [&](const std::string& fresh) {
        return ::linkat(folder_, from.c_str(), folder_, fresh.c_str(), 0) == 0;
    });
    if (parked || errno == EEXIST) return parked;
    return make(role, [&](const std::string& fresh) {
        if (::renameat2(folder_, from.c_str(), folder_, fresh.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        // A file system that cannot refuse to replace: the name is one no one could foretell.
        return (errno == EINVAL || errno == ENOSYS) &&
               ::renameat(folder_, from.c_str(), folder_, fresh.c_str()) == 0;
    });
}

void OurNames::allGone() {
    if (markMade_ && ::unlinkat(folder_, markOf(name_).c_str(), 0) == 0) markMade_ = false;
}

std::map<std::string, std::vector<std::string>, std::less<>> temporaryNamesIn(
    int folder, const std::string& name) {
    std::map<std::string, std::vector<std::string>, std::less<>> found;
    const std::string prefix = prefixOf(name);
    const std::string mark = markOf(name);
    for (const std::string& entryName : ourNamesIn(folder)) {
        if (!entryName.starts_with(prefix) || entryName == mark) continue;
        // The role is what follows the last dot (suffixOf); the prefix starts with a dot.
        found[entryName.substr(entryName.rfind('.') + 1)].push_back(entryName);
    }
    return found;
}

}  // namespace storage
