#include "storage/case_folding.h"

#include <algorithm>

namespace storage {

namespace {

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

}  // namespace

bool foldsCaseOf(const std::vector<std::string>& listing, const EntryLookup& lookup) {
    for (const std::string& name : listing) {
        const std::string other = withOtherCase(name);
        // Gone since it was listed: the next entry tells.
        if (other == name || !lookup(name)) continue;
        if (std::find(listing.begin(), listing.end(), other) != listing.end()) return false;
        return lookup(other).has_value();
    }
    return true;
}

}  // namespace storage
