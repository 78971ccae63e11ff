#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "storage/file_stamp_win32.h"
#include "storage/replacement_file.h"
#include "storage/savable.h"
#include "storage/system_error_win32.h"
#include "storage/temporary_names_win32.h"
#include "storage/unique_handle.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// The stamp of the file `path` names now; nullopt when there is none to be had.
std::optional<FileStamp> stampNamed(const fs::path& path) {
    const UniqueHandle file = ownHandle(CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FileStamp stamp;
    if (!file || !stampOf(file.get(), stamp)) return std::nullopt;
    return stamp;
}

}  // namespace

// A save into a temporary file of ours that ReplaceFile then puts in the file's place.
class ReplacementFile::Save {
public:
    Save(fs::path target, fs::path backup, FileLock& lock, std::optional<FileStamp> opened)
        : target_(std::move(target)), backup_(std::move(backup)), lock_(lock), opened_(opened) {}
    ~Save();
    Save(const Save&) = delete;
    Save& operator=(const Save&) = delete;

    void begin();
    void write(std::string_view bytes);
    FileStamp commit();

private:
    void ensureUnchanged() const;

    fs::path target_;
    fs::path backup_;
    FileLock& lock_;
    std::optional<FileStamp> opened_;
    fs::path temp_;
    UniqueHandle handle_;
    bool committed_ = false;
};

void ReplacementFile::Save::begin() {
    ensureSavable(target_);
    ensureUnchanged();
    temp_ = createTemporaryBeside(target_);
    handle_ = ownHandle(CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) throw lastError(Action::kSave, target_);
}

// The name must still lead to the file as it was read: another program may have saved its own
// version in its place since.
void ReplacementFile::Save::ensureUnchanged() const {
    if (opened_ && stampNamed(target_) != opened_) throw Error::replaced(target_);
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

FileStamp ReplacementFile::Save::commit() {
    const fs::path& backup = backup_;
    if (!FlushFileBuffers(handle_.get())) throw lastError(Action::kSave, target_);
    FileStamp saved;
    if (!stampOf(handle_.get(), saved)) throw lastError(Action::kSave, target_);
    handle_.reset();
    ensureUnchanged();
    if (GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The file is gone: the new version simply takes its name.
        if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            throw lastError(Action::kSave, target_);
        }
    } else {
        // ReplaceFile keeps the target's attributes and access rights and moves the old version
        // to the backup name; an older backup has to go first.
        const fs::path oldBackup(temp_.native() + L".bak");
        const bool hadBackup =
            !backup.empty() && MoveFileExW(backup.c_str(), oldBackup.c_str(), 0) != 0;
        if (!ReplaceFileW(target_.c_str(), temp_.c_str(), backup.empty() ? nullptr : backup.c_str(),
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
    // The new version as it now carries the name; ReplaceFile may give it the old one's volume
    // numbers and times.
    return stampNamed(target_).value_or(saved);
}

ReplacementFile::ReplacementFile(fs::path target, const fs::path& backup, FileLock& lock,
                                 std::optional<FileStamp> opened)
    : save_(std::make_unique<Save>(std::move(target), backup, lock, opened)) {
    // Begun once it is owned, so that whatever a failing start left is tidied as it goes.
    save_->begin();
}

ReplacementFile::~ReplacementFile() = default;

void ReplacementFile::write(std::string_view bytes) { save_->write(bytes); }

// Stretches are written from the mapping: the system has no file-to-file copy into a file
// being written.
void ReplacementFile::writeStretch(const FileContent& source, std::size_t offset,
                                   std::size_t size) {
    save_->write(source.view().substr(offset, size));
}

FileStamp ReplacementFile::commit() { return save_->commit(); }

// Saves here go by ReplaceFile, never in place.
bool ReplacementFile::byCopying() const { return false; }

// Temporary files here have new names every time (GetTempFileName) and are removed as the save
// ends.
void settleLeftoversOf(const fs::path&, const fs::path&) {}

}  // namespace storage
