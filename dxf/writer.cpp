#include "dxf/writer.h"

#include <system_error>

#include "base/path_name.h"
#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf/file_lock.h"
#include "dxf/platform_file.h"

namespace dxf {

namespace fs = std::filesystem;

namespace {

// The longest name of a file in a folder, in the units of a native path: bytes on POSIX (NAME_MAX),
// UTF-16 code units on Windows.
constexpr std::size_t kLongestName = 255;

// Whether `unit` continues a character begun before it (a UTF-8 continuation byte, a low
// surrogate).
bool continuesCharacter(fs::path::value_type unit) {
#ifdef _WIN32
    return unit >= 0xDC00 && unit <= 0xDFFF;
#else
    return (static_cast<unsigned char>(unit) & 0xC0) == 0x80;
#endif
}

}  // namespace

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
    // A drawing that is itself called NAME.bak must not be its own backup, in any letter case:
    // a folder that ignores case takes NAME.BAK and NAME.bak as one name.
    fs::path backup = drawing;
    if (base::lowerAscii(base::nameOf(drawing.extension())) == u".bak") {
        backup += ".bak";
    } else {
        backup.replace_extension(".bak");
    }
    // A drawing whose name fits stays savable: the backup's name is shortened to fit too, by
    // whole characters.
    auto name = backup.filename().native();
    const auto stemEnd = name.size() - 4;
    std::size_t cut = stemEnd;
    while (name.size() - (stemEnd - cut) > kLongestName && cut > 0) {
        --cut;
        while (cut > 0 && continuesCharacter(name[cut])) --cut;
    }
    if (cut != stemEnd) backup.replace_filename(name.erase(cut, stemEnd - cut));
    return backup;
}

fs::path savedFileOf(const fs::path& target) {
    // Through a symbolic link the file it points to is replaced, and the link stays.
    std::error_code ignored;
    const fs::path resolved =
        fs::is_symlink(target, ignored) ? fs::canonical(target, ignored) : target;
    return resolved.empty() ? target : resolved;
}

void tidyAfterKilledSaves(const fs::path& target) {
    platform::removeLeftoversOf(savedFileOf(target));
}

void saveWithBackup(const fs::path& target, platform::FileContent& original, const Patches& patches,
                    platform::FileLock& lock) {
    const fs::path file = savedFileOf(target);
    platform::ReplacementFile replacement(file, lock);
    // Overwriting the drawing in place would change a mapping of it while it is being copied.
    if (replacement.byCopying()) original.detach(target);
    try {
        forEachPiece(original.view(), patches, [&](std::string_view piece) {
            if (!piece.empty()) replacement.write(piece);
        });
    } catch (const Error&) {
        // Writing from the pages of a file cut short fails with the system's EFAULT.
        if (original.changedSinceOpened()) throw changedOnDiskError(target, FileAction::kSave);
        throw;
    }
    // Asked after writing: the new version then holds nothing another program wrote meanwhile.
    if (original.changedSinceOpened()) throw changedOnDiskError(target, FileAction::kSave);
    replacement.commit(backupPathOf(file));
}

void restoreBackup(const fs::path& drawing) {
    const fs::path file = savedFileOf(drawing);
    const fs::path backup = backupPathOf(file);
    if (!platform::isRegularFile(backup)) throw noBackupError(drawing, backup);
    // As a save does: a drawing another run is editing is left to it.
    const platform::FileLock lock(file);
    platform::exchangeFiles(file, backup);
}

}  // namespace dxf
