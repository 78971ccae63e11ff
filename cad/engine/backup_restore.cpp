#include "cad/engine/backup_restore.h"

#include "base/path_name.h"
#include "cad/engine/engine_errors.h"
#include "dxf/writer.h"

namespace cad::engine {

void restoreLastSave(const std::u16string& fullPath) {
    translated([&] { dxf::restoreBackup(base::pathOf(fullPath)); });
}

}  // namespace cad::engine
