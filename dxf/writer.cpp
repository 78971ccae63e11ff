#include "dxf/writer.h"

#include <system_error>

#include "dxf/platform_file.h"

namespace dxf {

namespace fs = std::filesystem;

void forEachPiece(std::string_view original, const Patches& patches,
                  const std::function<void(std::string_view)>& sink) {
    std::size_t at = 0;
    for (const auto& [begin, patch] : patches) {
        sink(original.substr(at, begin - at));
        sink(patch.bytes);
        at = patch.end;
    }
    sink(original.substr(at));
}

fs::path backupPathOf(const fs::path& drawing) {
    fs::path backup = drawing;
    backup.replace_extension(".bak");
    // A drawing that is itself called NAME.bak must not be its own backup.
    if (backup == drawing) backup += ".bak";
    return backup;
}

void saveWithBackup(const fs::path& target, std::string_view original, const Patches& patches) {
    // Through a symbolic link the file it points to is replaced, and the link stays.
    std::error_code ignored;
    const fs::path resolved =
        fs::is_symlink(target, ignored) ? fs::canonical(target, ignored) : target;
    const fs::path& file = resolved.empty() ? target : resolved;
    platform::ReplacementFile replacement(file);
    forEachPiece(original, patches, [&](std::string_view piece) {
        if (!piece.empty()) replacement.write(piece);
    });
    replacement.commit(backupPathOf(file));
}

}  // namespace dxf
