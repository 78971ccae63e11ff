#include "storage/kept_listings.h"

#include <map>
#include <mutex>
#include <utility>

namespace storage {

namespace {

struct Kept {
    std::mutex mutex;
    int scopes = 0;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::string>> listings;
};

Kept& kept() {
    static Kept instance;
    return instance;
}

}  // namespace

KeptListings::KeptListings() {
    const std::lock_guard lock(kept().mutex);
    ++kept().scopes;
}

KeptListings::~KeptListings() {
    const std::lock_guard lock(kept().mutex);
    if (--kept().scopes == 0) kept().listings.clear();
}

std::vector<std::string> listingOf(const FileIdentity& folder, Look look,
                                   const std::function<std::vector<std::string>()>& list) {
    if (look == Look::kNow) return list();
    Kept& all = kept();
    std::unique_lock lock(all.mutex);
    if (all.scopes == 0) {
        lock.unlock();
        return list();
    }
    const auto key = std::make_pair(folder.device, folder.index);
    if (const auto found = all.listings.find(key); found != all.listings.end()) {
        return found->second;
    }
    // Read under the lock: two workers meeting one folder first read it once.
    return all.listings.emplace(key, list()).first->second;
}

}  // namespace storage
