#include "storage/temporary_names_posix.h"

#include <cstdint>
#include <cstdio>
#include <numeric>

namespace storage {

std::string temporaryName(const std::string& name, const char* role) {
    const std::uint64_t hash =  // FNV-1a
        std::accumulate(name.begin(), name.end(), 14695981039346656037ULL,
                        [](std::uint64_t h, char c) {
                            return (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
                        });
    char text[48];
    std::snprintf(text, sizeof text, ".~zandrel-%016llx.%s", static_cast<unsigned long long>(hash),
                  role);
    return text;
}

}  // namespace storage
