#include "dxf/writer.h"

#include <system_error>

#include "dxf/error.h"
#include "dxf/file_lock.h"
#include "dxf/platform_file.h"

namespace dxf {

namespace fs = std::filesystem;

void forEachPiece(std::string_view original, const Patches& patches,
                  const std::function<void(std::string_view)>& sink) {
    std::size_t at = 0;
    for (const auto& [begin, patch] : patches) {
        sink(original.substr(at, begin - at));
        sink(patch.tagHead);
        sink(patch.bytes);
        sink(patch.tagTail);
        at = patch.end;
    }
    sink(original.substr(at));
}

Patch newTagPatch(std::size_t at, Layout layout, int code, std::string_view lineEnd) {
    Patch patch{at, {}};
    switch (layout) {
        case Layout::kAscii:
            patch.tagHead = std::to_string(code);
            patch.tagHead.insert(0, patch.tagHead.size() < 3 ? 3 - patch.tagHead.size() : 0, ' ');
            patch.tagHead += lineEnd;
            patch.tagTail = lineEnd;
            break;
        case Layout::kBinaryOneByteCode:
            patch.tagHead = std::string(1, static_cast<char>(code));
            patch.tagTail = std::string(1, '\0');
            break;
        case Layout::kBinaryTwoByteCode:
            patch.tagHead =
                std::string{static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
            patch.tagTail = std::string(1, '\0');
            break;
    }
    return patch;
}

fs::path backupPathOf(const fs::path& drawing) {
    fs::path backup = drawing;
    backup.replace_extension(".bak");
    // A drawing that is itself called NAME.bak must not be its own backup.
    if (backup == drawing) backup += ".bak";
    return backup;
}

namespace {

// Through a symbolic link the file it points to is saved (and restored), and the link stays.
fs::path linkTarget(const fs::path& drawing) {
    std::error_code ignored;
    const fs::path resolved =
        fs::is_symlink(drawing, ignored) ? fs::canonical(drawing, ignored) : drawing;
    return resolved.empty() ? drawing : resolved;
}

}  // namespace

void saveWithBackup(const fs::path& target, std::string_view original, const Patches& patches) {
    const fs::path file = linkTarget(target);
    platform::ReplacementFile replacement(file);
    forEachPiece(original, patches, [&](std::string_view piece) {
        if (!piece.empty()) replacement.write(piece);
    });
    replacement.commit(backupPathOf(file));
}

void restoreBackup(const fs::path& drawing) {
    const fs::path file = linkTarget(drawing);
    const fs::path backup = backupPathOf(file);
    if (!platform::isRegularFile(backup)) throw noBackupError(drawing, backup);
    // As a save does: a drawing another run is editing is left to it.
    const platform::FileLock lock(file);
    platform::exchangeFiles(file, backup);
}

}  // namespace dxf
