#include <windows.h>

#include <algorithm>
#include <utility>

#include "storage/replacement_file.h"
#include "storage/system_error_win32.h"
#include "storage/temporary_names_win32.h"
#include "storage/unique_handle.h"

namespace storage {

namespace fs = std::filesystem;

// A save into a temporary file of ours that ReplaceFile then puts in the file's place.
class ReplacementFile::Save {
public:
    Save(fs::path target, FileLock& lock) : target_(std::move(target)), lock_(lock) {}
    ~Save();
    Save(const Save&) = delete;
    Save& operator=(const Save&) = delete;

    void begin();
    void write(std::string_view bytes);
    void commit(const fs::path& backup);

private:
    fs::path target_;
    FileLock& lock_;
    fs::path temp_;
    UniqueHandle handle_;
    bool committed_ = false;
};

void ReplacementFile::Save::begin() {
    // A file with the read-only attribute stays as it is, as editors open it.
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw Error::readOnly(target_);
    }
    temp_ = createTemporaryBeside(target_);
    handle_ = ownHandle(CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) throw lastError(Action::kSave, target_);
}

ReplacementFile::Save::~Save() {
    handle_.reset();
    if (!committed_ && !temp_.empty()) DeleteFileW(temp_.c_str());
}

void ReplacementFile::Save::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD written = 0;
        if (!WriteFile(handle_.get(), bytes.data(), chunk, &written, nullptr)) {
            throw lastError(Action::kSave, target_);
        }
        bytes.remove_prefix(written);
    }
}

void ReplacementFile::Save::commit(const fs::path& backup) {
    if (!FlushFileBuffers(handle_.get())) throw lastError(Action::kSave, target_);
    handle_.reset();
    if (GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The file is gone: the new version simply takes its name.
        if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            throw lastError(Action::kSave, target_);
        }
    } else {
        // ReplaceFile keeps the target's attributes and access rights and moves the old version
        // to the backup name; an older backup has to go first.
        const fs::path oldBackup(temp_.native() + L".bak");
        const bool hadBackup = MoveFileExW(backup.c_str(), oldBackup.c_str(), 0) != 0;
        if (!ReplaceFileW(target_.c_str(), temp_.c_str(), backup.c_str(),
                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            const Error failure = lastError(Action::kSave, target_);
            if (hadBackup) MoveFileExW(oldBackup.c_str(), backup.c_str(), 0);
            throw failure;
        }
        if (hadBackup) DeleteFileW(oldBackup.c_str());
    }
    committed_ = true;
    // The claim stayed with the old version, now the backup: claim the new one, unless another
    // program was quicker.
    try {
        lock_ = FileLock(target_);
    } catch (const Error&) {
        lock_ = FileLock();
    }
}

ReplacementFile::ReplacementFile(fs::path target, FileLock& lock)
    : save_(std::make_unique<Save>(std::move(target), lock)) {
    // Begun once it is owned, so that whatever a failing start left is tidied as it goes.
    save_->begin();
}

ReplacementFile::~ReplacementFile() = default;

void ReplacementFile::write(std::string_view bytes) { save_->write(bytes); }

void ReplacementFile::commit(const fs::path& backup) { save_->commit(backup); }

// Saves here go by ReplaceFile, never in place.
bool ReplacementFile::byCopying() const { return false; }

// Temporary files here have new names every time (GetTempFileName) and are removed as the save
// ends.
void removeLeftoversOf(const fs::path&) {}

}  // namespace storage
