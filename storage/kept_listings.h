#pragma once

#include <functional>
#include <string>
#include <vector>

#include "storage/file_names.h"

// A batch over a folder of thousands of drawings looks into the folder for what killed saves left
// at every open; read afresh each time, that costs the batch time quadratic in the folder's size.
// While a KeptListings lives, a look that may (Look::kKeptWillDo) reads each folder once and
// reuses what it held. A run killed meanwhile beside a drawing leaves temporaries such a look does
// not see, which is harmless where nothing is changed: the open reads a whole version either way.
// Saves and exchanges look now (Look::kNow), so that they settle against the state they find.
namespace storage {

enum class Look { kKeptWillDo, kNow };

class KeptListings {
public:
    KeptListings();
    ~KeptListings();
    KeptListings(const KeptListings&) = delete;
    KeptListings& operator=(const KeptListings&) = delete;
};

// The names in the folder `folder` that `list` gives: read by `list` once while a KeptListings
// lives where `look` lets it, every time otherwise. Safe to call from several threads.
std::vector<std::string> listingOf(const FileIdentity& folder, Look look,
                                   const std::function<std::vector<std::string>()>& list);

}  // namespace storage
