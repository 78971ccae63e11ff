#pragma once

#include <filesystem>

namespace storage {

// A new, empty file of ours with a name of its own in the folder of `file`, as GetTempFileName
// makes it; a failure is one to save `file`.
std::filesystem::path createTemporaryBeside(const std::filesystem::path& file);

}  // namespace storage
