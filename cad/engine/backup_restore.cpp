#include "cad/engine/backup_restore.h"

#include "cad/engine/engine_errors.h"
#include "cad/engine/engine_path.h"
#include "dxf/writer.h"

namespace cad::engine {

void restoreLastSave(const std::u16string& fullPath) {
    translated([&] { dxf::restoreBackup(pathOf(fullPath)); });
}

}  // namespace cad::engine
