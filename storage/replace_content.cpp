#include "storage/backup.h"
#include "storage/replacement_file.h"

namespace storage {

void replaceContent(const std::filesystem::path& path, std::string_view bytes) {
    // A file no program claims: nothing to hold or to hand on.
    FileLock unclaimed;
    ReplacementFile replacement(savedFileOf(path), {}, unclaimed);
    replacement.write(bytes);
    replacement.commit();
}

}  // namespace storage
