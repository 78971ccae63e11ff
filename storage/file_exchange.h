#pragma once

#include <filesystem>

namespace storage {

// Swaps the two files of one folder under their names: atomically where the system can (Linux),
// else in three renames through a temporary name beside `first`, which a crash between them may
// leave for the next run to settle (settleLeftoversOf, with `first` as the file and `second` as
// its backup). Both must exist; failures throw storage::Error.
void exchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second);

}  // namespace storage
