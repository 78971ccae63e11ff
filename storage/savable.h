#pragma once

#include <filesystem>

namespace storage {

// Throws the Error a save of `target` would fail with for want of the right to write: a file no
// one may write, one this user may not write, a folder where this user may not add the new
// version or the backup, a read-only disk. Writes nothing, so that a dry run can tell what the
// real run would say.
void ensureSavable(const std::filesystem::path& target);

}  // namespace storage
