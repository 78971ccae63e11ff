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
