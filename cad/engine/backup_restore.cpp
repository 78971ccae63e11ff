#include "cad/engine/backup_restore.h"

#include "base/path_name.h"
#include "cad/engine/engine_errors.h"
#include "storage/backup.h"

namespace cad::engine {

void restoreLastSave(const std::u16string& fullPath) {
    translated([&] { storage::restoreBackup(base::pathOf(fullPath)); });
}

}  // namespace cad::engine
