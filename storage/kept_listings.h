#pragma once

#include <functional>
#include <string>
#include <vector>

#include "storage/file_names.h"

// A batch over a folder of thousands of drawings looks into the folder for what killed saves left
// at every open and save; read afresh each time, that costs the batch time quadratic in the
// folder's size. While a KeptListings lives, each folder is read once and what it held is reused.
// A run killed meanwhile beside a drawing of the batch leaves temporaries this batch does not see:
// the identity check before a save still refuses a drawing another run changed, and the next batch
// settles them, so nothing is lost.
namespace storage {

class KeptListings {
public:
    KeptListings();
    ~KeptListings();
    KeptListings(const KeptListings&) = delete;
    KeptListings& operator=(const KeptListings&) = delete;
};

// The names in the folder `folder` that `list` gives: read by `list` once while a KeptListings
// lives, every time otherwise. Safe to call from several threads.
std::vector<std::string> listingOf(const FileIdentity& folder,
                                   const std::function<std::vector<std::string>()>& list);

}  // namespace storage
