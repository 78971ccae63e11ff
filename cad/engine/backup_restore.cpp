#include "cad/engine/backup_restore.h"

#include "base/path_name.h"
#include "cad/engine/engine_errors.h"
#include "dxf/file_index.h"
#include "storage/backup.h"

namespace cad::engine {

void restoreLastSave(const std::u16string& fullPath) {
    const std::filesystem::path path = base::pathOf(fullPath);
    // Only a drawing comes back under the drawing's name.
    translated([&] {
        storage::restoreBackup(path, [&](std::string_view head) {
            dxf::checkDxfHead(head, storage::backupPathOf(storage::savedFileOf(path)));
        });
    });
}

}  // namespace cad::engine
