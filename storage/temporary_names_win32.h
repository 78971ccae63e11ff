#pragma once

#include <filesystem>

namespace storage {

// A new, empty file of ours in the folder of `file`, under a random name that no one could have
// taken in advance, made only where no file has that name (retried on a collision); a failure is
// one to save `file`.
std::filesystem::path createTemporaryBeside(const std::filesystem::path& file);

}  // namespace storage
