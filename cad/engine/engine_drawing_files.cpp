#include "cad/engine/engine_drawing_files.h"

#include <map>
#include <system_error>
#include <vector>

#include "base/path_name.h"
#include "base/unicode.h"
#include "cad/engine/backup_restore.h"
#include "cad/engine/engine_errors.h"
#include "storage/backup.h"
#include "storage/file_names.h"
#include "storage/savable.h"

namespace cad::engine {

namespace {

namespace fs = std::filesystem;

DrawingFiles::FileId idOf(const storage::FileIdentity& identity) {
    return {identity.device, identity.index};
}

class EngineDrawingFiles : public DrawingFiles {
public:
    std::optional<FileId> fileAt(const std::u16string& path) const override {
        const auto identity = storage::identityOf(base::pathOf(path));
        if (!identity) return std::nullopt;
        return idOf(*identity);
    }

    std::optional<EntryKey> entryAt(const std::u16string& path) const override {
        const fs::path name = base::pathOf(path);
        const fs::path folder = name.has_parent_path() ? name.parent_path() : fs::path(".");
        const auto identity = storage::identityOf(folder);
        if (!identity) return std::nullopt;
        const FileId folderId = idOf(*identity);
        auto known = foldsCase_.find(folderId);
        if (known == foldsCase_.end()) {
            known = foldsCase_.emplace(folderId, storage::foldsCase(folder)).first;
        }
        const std::u16string entry = base::nameOf(name.filename());
        return EntryKey{folderId, known->second ? base::lowerAscii(entry) : entry};
    }

    std::u16string backupPathOf(const std::u16string& path) const override {
        return base::nameOf(storage::backupPathOf(storage::savedFileOf(base::pathOf(path))));
    }

    std::vector<std::u16string> drawingsBeside(const std::u16string& path) const override {
        const fs::path folder = storage::folderOf(base::pathOf(path));
        std::vector<std::u16string> drawings;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            const std::u16string extension = base::lowerAscii(base::nameOf(it->path().extension()));
            if (extension == u".dxf" || extension == u".dwg") {
                drawings.push_back(base::nameOf(it->path()));
            }
        }
        return drawings;
    }

    void ensureSavable(const std::u16string& path) const override {
        translated([&] { storage::ensureSavable(storage::savedFileOf(base::pathOf(path))); });
    }

    void restoreLastSave(const std::u16string& path) const override {
        engine::restoreLastSave(path);
    }

private:
    mutable std::map<FileId, bool> foldsCase_;  // probed once per folder
};

}  // namespace

std::unique_ptr<DrawingFiles> makeEngineDrawingFiles() {
    return std::make_unique<EngineDrawingFiles>();
}

}  // namespace cad::engine
