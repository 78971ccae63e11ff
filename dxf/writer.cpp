#include "dxf/writer.h"

#include "dxf/error.h"
#include "storage/backup.h"
#include "storage/replacement_file.h"

namespace dxf {

namespace fs = std::filesystem;

void forEachStretch(std::size_t originalSize, const Patches& patches,
                    const std::function<void(std::size_t offset, std::size_t size)>& untouched,
                    const std::function<void(std::string_view)>& patched) {
    std::size_t at = 0;
    for (const auto& [begin, patch] : patches) {
        untouched(at, begin - at);
        patched(patch.tagHead);
        patched(patch.bytes);
        patched(patch.tagTail);
        at = patch.end;
    }
    untouched(at, originalSize - at);
}

void forEachPiece(std::string_view original, const Patches& patches,
                  const std::function<void(std::string_view)>& sink) {
    forEachStretch(
        original.size(), patches,
        [&](std::size_t offset, std::size_t size) { sink(original.substr(offset, size)); }, sink);
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

storage::FileStamp saveWithBackup(const fs::path& target, storage::FileContent& original,
                                  const Patches& patches, storage::FileLock& lock,
                                  const std::optional<storage::FileStamp>& onDisk) {
    return namingFileErrors([&] {
        const fs::path file = storage::savedFileOf(target);
        storage::ReplacementFile replacement(file, storage::backupPathOf(file), lock, onDisk);
        // Overwriting the drawing in place would change a mapping of it while it is being copied.
        if (replacement.byCopying()) original.detach(target);
        try {
            forEachStretch(
                original.view().size(), patches,
                [&](std::size_t offset, std::size_t size) {
                    if (size > 0) replacement.writeStretch(original, offset, size);
                },
                [&](std::string_view piece) {
                    if (!piece.empty()) replacement.write(piece);
                });
        } catch (const storage::Error&) {
            // Writing from the pages of a file cut short fails with the system's EFAULT.
            if (original.changedSinceOpened()) throw storage::Error::replaced(target);
            throw;
        }
        // Asked after writing: the new version then holds nothing another program wrote meanwhile.
        if (original.changedSinceOpened()) throw storage::Error::replaced(target);
        return replacement.commit();
    });
}

}  // namespace dxf
