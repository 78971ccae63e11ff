#pragma once

#include <filesystem>

namespace storage {

// Swaps the two files under their names: atomically where the system can (Linux), else in three
// renames through a temporary name beside `first`. Both must exist; failures throw
// storage::Error.
void exchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second);

}  // namespace storage
