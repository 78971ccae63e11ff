#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "storage/descriptor_io_posix.h"
#include "storage/extended_attributes_posix.h"
#include "storage/file_names.h"
#include "storage/replacement_file.h"
#include "storage/save_in_progress.h"
#include "storage/system_error_posix.h"
#include "storage/temporary_names_posix.h"
#include "storage/unique_fd.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// Whether the files of /proc/self/fd can be linked to a name, as a file made with O_TMPFILE
// has to be.
bool canNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

UniqueFd openFolder(const fs::path& folder) {
    return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

// A save through the descriptors of the file's folder, so that every name it touches is in the
// folder it opened, whatever happens to the path meanwhile.
class ReplacementFile::Save {
public:
    Save(fs::path target, FileLock& lock)
        : target_(std::move(target)),
          lock_(lock),
          name_(target_.filename().native()),
          tempNew_(temporaryName(name_, "new")),
          tempOld_(temporaryName(name_, "old")) {}
    ~Save();
    Save(const Save&) = delete;
    Save& operator=(const Save&) = delete;

    void begin();
    void write(std::string_view bytes) { writeAll(fd_.get(), bytes, target_); }
    void commit(const fs::path& backup);
    bool byCopying() const { return byCopying_; }

private:
    UniqueFd createTemporary(const std::string& name, bool& named);
    void createNewVersion();
    bool takeIdentity();
    UniqueFd copyOfCurrentVersion(int current);
    void startCopying();
    void nameTemporary(int fd, const std::string& name);
    void nameOldVersion();
    void commitNewFile(const std::string& backupName);
    void commitInPlace(const std::string& backupName);
    void restoreInPlace();

    SaveInProgress saving_;  // first: the guard outlives every file below
    fs::path target_;
    FileLock& lock_;
    std::string name_;     // the target's name in its folder
    std::string tempNew_;  // short names of ours in that folder, the same for every save of the
    std::string tempOld_;  // file, so that a run killed mid-save is tidied by the next one
    UniqueFd folder_;
    UniqueFd fd_;       // the new version, or the file itself when saving by copying
    UniqueFd oldCopy_;  // the copy of the current version when saving by copying
    bool exists_ = false;
    bool byCopying_ = false;
    bool newNamed_ = false;
    bool oldNamed_ = false;
    bool overwriting_ = false;
    bool committed_ = false;
    struct stat current_ {};
};

void ReplacementFile::Save::begin() {
    folder_ = openFolder(folderOf(target_));
    if (!folder_) throw errnoError(errno, Action::kSave, target_);
    exists_ = ::fstatat(folder_.get(), name_.c_str(), &current_, 0) == 0;
    if (!exists_ && errno != ENOENT) throw errnoError(errno, Action::kSave, target_);
    // A file no one may write stays as it is, for root too, as editors open such files
    // read-only; one this user may not write (or immutable, on a read-only disk) too, even where
    // the folder would let a new version take its name.
    if (exists_ && (current_.st_mode & 0222) == 0) throw Error::readOnly(target_);
    if (exists_ && ::faccessat(folder_.get(), name_.c_str(), W_OK, AT_EACCESS) != 0) {
        throw errnoError(errno, Action::kSave, target_);
    }
    removeStale(folder_.get(), tempNew_);
    removeStale(folder_.get(), tempOld_);
    byCopying_ = exists_ && current_.st_nlink > 1;
    if (!byCopying_) {
        createNewVersion();
        byCopying_ = exists_ && !takeIdentity();
    }
    if (byCopying_) startCopying();
}

ReplacementFile::Save::~Save() {
    if (!committed_ && overwriting_) restoreInPlace();
    if (!committed_ && newNamed_) ::unlinkat(folder_.get(), tempNew_.c_str(), 0);
    if (oldNamed_) ::unlinkat(folder_.get(), tempOld_.c_str(), 0);
}

// An empty file in the target's folder, without a name where the system allows and named `name`
// otherwise, readable only by its owner until it has the target's identity.
UniqueFd ReplacementFile::Save::createTemporary(const std::string& name, bool& named) {
    if (canNameUnnamedFiles()) {
        UniqueFd fd(::openat(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (fd) return fd;
    }
    UniqueFd fd(::openat(folder_.get(), name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600));
    if (!fd) throw errnoError(errno, Action::kSave, target_);
    named = true;
    return fd;
}

void ReplacementFile::Save::createNewVersion() {
    fd_ = createTemporary(tempNew_, newNamed_);
    if (!exists_) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_.get(), 0666 & ~mask);
    }
}

// Gives the new version the target's owner, group, extended attributes and mode; false when it
// cannot carry all of them.
bool ReplacementFile::Save::takeIdentity() {
    struct stat now {};
    if (::fstat(fd_.get(), &now) != 0) return false;
    // Owner first (only a privileged process can give a file away), then the attributes and the
    // mode bits, which a change of owner may clear.
    if ((now.st_uid != current_.st_uid || now.st_gid != current_.st_gid) &&
        ::fchown(fd_.get(), current_.st_uid, current_.st_gid) != 0) {
        return false;
    }
    if (!copyExtendedAttributes(target_, fd_.get()) ||
        ::fchmod(fd_.get(), current_.st_mode & 07777) != 0) {
        return false;
    }
    // The system may clear bits silently (set-group-ID for a group the user is not in).
    return ::fstat(fd_.get(), &now) == 0 && now.st_uid == current_.st_uid &&
           now.st_gid == current_.st_gid && (now.st_mode & 07777) == (current_.st_mode & 07777);
}

// A copy of the current version, read from `current`, on disk under our old name before it
// returns.
UniqueFd ReplacementFile::Save::copyOfCurrentVersion(int current) {
    UniqueFd copy = createTemporary(tempOld_, oldNamed_);
    copyContent(current, copy.get(), target_);
    ::fchmod(copy.get(), current_.st_mode & 0777);
    if (::fsync(copy.get()) != 0) throw errnoError(errno, Action::kSave, target_);
    if (!oldNamed_) nameTemporary(copy.get(), tempOld_);
    oldNamed_ = true;
    return copy;
}

// Saving by copying: the current version goes to a copy of ours first, then the file's own
// bytes are overwritten as write() is called.
void ReplacementFile::Save::startCopying() {
    fd_.reset();
    if (newNamed_) ::unlinkat(folder_.get(), tempNew_.c_str(), 0);
    newNamed_ = false;
    fd_.reset(::openat(folder_.get(), name_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!fd_) throw errnoError(errno, Action::kSave, target_);
    // The copy is on disk under a name before the first byte of the file changes.
    oldCopy_ = copyOfCurrentVersion(fd_.get());
    overwriting_ = true;
}

// Gives the unnamed file `fd` the name `name` in the target's folder.
void ReplacementFile::Save::nameTemporary(int fd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder_.get(), name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        throw errnoError(errno, Action::kSave, target_);
    }
}

// The current version gets a second name of ours: the same file where the file system allows,
// a copy otherwise.
void ReplacementFile::Save::nameOldVersion() {
    if (::linkat(folder_.get(), name_.c_str(), folder_.get(), tempOld_.c_str(), 0) == 0) {
        oldNamed_ = true;
        return;
    }
    const UniqueFd current(::openat(folder_.get(), name_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!current) throw errnoError(errno, Action::kSave, target_);
    copyOfCurrentVersion(current.get());
}

void ReplacementFile::Save::commit(const fs::path& backup) {
    const std::string backupName = backup.filename().native();
    if (byCopying_) {
        commitInPlace(backupName);
    } else {
        commitNewFile(backupName);
    }
    committed_ = true;
    // Best effort: some file systems cannot sync a folder.
    ::fsync(folder_.get());
}

void ReplacementFile::Save::commitNewFile(const std::string& backupName) {
    // The new version is on disk before any name leads to it.
    if (::fsync(fd_.get()) != 0) throw errnoError(errno, Action::kSave, target_);
    // Claimed before it has a name, so that no other run can claim it first.
    FileLock::tryLock(fd_, target_);
    if (exists_) nameOldVersion();
    if (!newNamed_) nameTemporary(fd_.get(), tempNew_);
    newNamed_ = true;
    if (::renameat(folder_.get(), tempNew_.c_str(), folder_.get(), name_.c_str()) != 0) {
        throw errnoError(errno, Action::kSave, target_);
    }
    newNamed_ = false;
    if (oldNamed_ &&
        ::renameat(folder_.get(), tempOld_.c_str(), folder_.get(), backupName.c_str()) != 0) {
        const int err = errno;
        // The older backup cannot be replaced: the file goes back to the version it was.
        ::renameat(folder_.get(), tempOld_.c_str(), folder_.get(), name_.c_str());
        oldNamed_ = false;
        throw errnoError(err, Action::kSave, target_.parent_path() / backupName);
    }
    oldNamed_ = false;
    lock_.adopt(std::move(fd_));
}

void ReplacementFile::Save::commitInPlace(const std::string& backupName) {
    const off_t size = ::lseek(fd_.get(), 0, SEEK_CUR);
    if (size < 0 || ::ftruncate(fd_.get(), size) != 0 || ::fsync(fd_.get()) != 0) {
        throw errnoError(errno, Action::kSave, target_);
    }
    if (::renameat(folder_.get(), tempOld_.c_str(), folder_.get(), backupName.c_str()) != 0) {
        throw errnoError(errno, Action::kSave, target_.parent_path() / backupName);
    }
    oldNamed_ = false;
    overwriting_ = false;
}

// Puts the file's bytes back from the copy after a failed overwrite.
void ReplacementFile::Save::restoreInPlace() {
    try {
        copyContent(oldCopy_.get(), fd_.get(), target_);
        ::ftruncate(fd_.get(), current_.st_size);
        ::fsync(fd_.get());
    } catch (const Error&) {
        // The copy stays under its name then: it is the only whole version left.
        oldNamed_ = false;
    }
    overwriting_ = false;
}

ReplacementFile::ReplacementFile(fs::path target, FileLock& lock)
    : save_(std::make_unique<Save>(std::move(target), lock)) {
    // Begun once it is owned, so that whatever a failing start left is tidied as it goes.
    save_->begin();
}

ReplacementFile::~ReplacementFile() = default;

void ReplacementFile::write(std::string_view bytes) { save_->write(bytes); }

void ReplacementFile::commit(const fs::path& backup) { save_->commit(backup); }

bool ReplacementFile::byCopying() const { return save_->byCopying(); }

void removeLeftoversOf(const fs::path& target) {
    const UniqueFd folder = openFolder(folderOf(target));
    if (!folder) return;
    removeStale(folder.get(), temporaryName(target.filename().native(), "new"));
    removeStale(folder.get(), temporaryName(target.filename().native(), "old"));
}

}  // namespace storage
