#include "storage/backup.h"

#include <system_error>

#include "base/path_name.h"
#include "base/unicode.h"
#include "storage/error.h"
#include "storage/file_content.h"
#include "storage/file_exchange.h"
#include "storage/file_lock.h"
#include "storage/file_names.h"
#include "storage/replacement_file.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// The longest name of a file in a folder, in the units of a native path: bytes on POSIX (NAME_MAX),
// UTF-16 code units on Windows.
constexpr std::size_t kLongestName = 255;

constexpr std::uint32_t kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND

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

fs::path backupPathOf(const fs::path& file) {
    // A file that is itself called NAME.bak must not be its own backup, in any letter case: a
    // folder that ignores case takes NAME.BAK and NAME.bak as one name.
    fs::path backup = file;
    if (base::lowerAscii(base::nameOf(file.extension())) == u".bak") {
        backup += ".bak";
    } else {
        backup.replace_extension(".bak");
    }
    // A file whose name fits stays savable: the backup's name is shortened to fit too, by whole
    // characters.
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
    const fs::path saved = savedFileOf(target);
    settleLeftoversOf(saved, backupPathOf(saved));
}

void restoreBackup(const fs::path& file, const HeadCheck& checkHead) {
    const fs::path saved = savedFileOf(file);
    const fs::path backup = backupPathOf(saved);
    // As a save does: a file another run is editing is left to it.
    const FileLock lock(saved);
    // A run killed while saving or restoring may have left a version under our name only.
    settleLeftoversOf(saved, backup);
    std::string head;
    try {
        head = readHead(backup);
    } catch (const Error& failure) {
        if (failure.failure() == Failure::kSystem && failure.win32Code() == kFileNotFound) {
            throw Error::noBackup(file, backup);
        }
        throw;
    }
    if (checkHead) checkHead(head);
    exchangeFiles(saved, backup);
}

}  // namespace storage
