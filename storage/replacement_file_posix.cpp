#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "storage/descriptor_io_posix.h"
#include "storage/extended_attributes_posix.h"
#include "storage/file_names.h"
#include "storage/file_stamp_posix.h"
#include "storage/leftovers_posix.h"
#include "storage/mapped_file_posix.h"
#include "storage/replacement_file.h"
#include "storage/savable_posix.h"
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
    Save(fs::path target, const fs::path& backup, FileLock& lock, std::optional<FileStamp> opened)
        : target_(std::move(target)),
          lock_(lock),
          opened_(opened),
          name_(target_.filename().native()),
          backupName_(backup.filename().native()) {}
    ~Save();
    Save(const Save&) = delete;
    Save& operator=(const Save&) = delete;

    void begin();
    void write(std::string_view bytes);
    void writeStretch(const FileContent& source, std::size_t offset, std::size_t size);
    FileStamp commit();
    bool byCopying() const { return byCopying_; }

private:
    void ensureUnchanged() const;
    UniqueFd createTemporary(const char* role, std::string& named);
    void createNewVersion();
    bool takeIdentity();
    UniqueFd copyOfCurrentVersion(int current);
    void startCopying();
    void nameTemporary(int fd, const char* role, std::string& named);
    void nameOldVersion();
    void keepCurrentAsBackup();
    void putBackOlderBackup();
    FileStamp commitNewFile();
    FileStamp commitInPlace();
    FileStamp stampOfNewVersion() const;
    void restoreInPlace();
    void removeOurName(std::string& named);
    void flush();
    void dropMarkIfAllGone();
    fs::path backupPath() const { return target_.parent_path() / backupName_; }

    SaveInProgress saving_;  // first: the guard outlives every file below
    fs::path target_;
    FileLock& lock_;
    std::optional<FileStamp> opened_;
    std::string name_;        // the target's name in its folder
    std::string backupName_;  // its backup's
    // Our names in that folder (temporary_names_posix.h) while they name something: the new
    // version, the current one and the older backup. Empty: none.
    std::string tempNew_;
    std::string tempOld_;
    std::string tempOlder_;
    UniqueFd folder_;
    std::optional<OurNames> ours_;  // made in folder_
    UniqueFd fd_;                   // the new version, or the file itself when saving by copying
    UniqueFd oldCopy_;              // the copy of the current version when saving by copying
    // Bytes written but not yet handed to the system: a drawing's new version comes in many short
    // pieces between its changed values, and one call for them costs far less than one each.
    std::string pending_;
    bool exists_ = false;
    bool byCopying_ = false;
    bool backupTaken_ = false;  // the current version carries the backup's name
    bool overwriting_ = false;
    bool committed_ = false;
    bool keepAside_ = false;    // a failed overwrite left versions our names alone may hold
    bool kernelCopies_ = true;  // until the kernel cannot copy between the two files
    struct stat current_ {};
};

void ReplacementFile::Save::begin() {
    folder_ = openFolder(folderOf(target_));
    if (!folder_) throw errnoError(errno, Action::kSave, target_);
    exists_ = ::fstatat(folder_.get(), name_.c_str(), &current_, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists_ && errno != ENOENT) throw errnoError(errno, Action::kSave, target_);
    ensureUnchanged();
    if (exists_ && !S_ISREG(current_.st_mode)) throw Error::notRegularFile(target_);
    if (exists_) ensureFileWritable(folder_.get(), name_, current_, target_);
    settleLeftovers(folder_.get(), name_, backupName_);
    ours_.emplace(folder_.get(), name_);
    byCopying_ = exists_ && current_.st_nlink > 1;
    if (!byCopying_) {
        createNewVersion();
        byCopying_ = exists_ && !takeIdentity();
    }
    if (byCopying_) startCopying();
}

// The name must still lead to the file as it was read: another program may have saved its own
// version in its place, or put there a link to someone else's file, since.
void ReplacementFile::Save::ensureUnchanged() const {
    struct stat now {};
    const bool named = ::fstatat(folder_.get(), name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    // The target given is the file itself: a link there now was put there by someone else.
    if (named && S_ISLNK(now.st_mode)) throw Error::replaced(target_);
    if (opened_ && (!named || stampOf(now) != *opened_)) throw Error::replaced(target_);
}

ReplacementFile::Save::~Save() {
    if (!committed_ && overwriting_) restoreInPlace();
    if (keepAside_) return;
    if (!committed_) {
        removeOurName(tempNew_);
        putBackOlderBackup();
    }
    removeOurName(tempOld_);
    dropMarkIfAllGone();
}

// Takes our name `named` away, and forgets it once it is gone.
void ReplacementFile::Save::removeOurName(std::string& named) {
    if (named.empty() || ::unlinkat(folder_.get(), named.c_str(), 0) == 0 || errno == ENOENT) {
        named.clear();
    }
}

// The mark stays where a name of ours does, for the next run to settle it.
void ReplacementFile::Save::dropMarkIfAllGone() {
    if (ours_ && tempNew_.empty() && tempOld_.empty() && tempOlder_.empty()) ours_->allGone();
}

// An empty file in the target's folder, without a name where the system allows and under a
// fresh name of ours in the role `role`, kept in `named`, otherwise; readable only by its owner
// until it has the target's identity.
UniqueFd ReplacementFile::Save::createTemporary(const char* role, std::string& named) {
    if (canNameUnnamedFiles()) {
        UniqueFd fd(::openat(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (fd) return fd;
    }
    UniqueFd fd;
    const auto made = ours_->make(role, [&](const std::string& fresh) {
        fd.reset(::openat(folder_.get(), fresh.c_str(),
                          O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, 0600));
        return static_cast<bool>(fd);
    });
    if (!made) throw errnoError(errno, Action::kSave, target_);
    named = *made;
    return fd;
}

void ReplacementFile::Save::createNewVersion() {
    fd_ = createTemporary("new", tempNew_);
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
    UniqueFd copy = createTemporary("old", tempOld_);
    copyContent(current, copy.get(), target_);
    ::fchmod(copy.get(), current_.st_mode & 0777);
    if (::fsync(copy.get()) != 0) throw errnoError(errno, Action::kSave, target_);
    if (tempOld_.empty()) nameTemporary(copy.get(), "old", tempOld_);
    return copy;
}

// Saving by copying: the current version goes to a copy of ours first, then the file's own
// bytes are overwritten as the new version is written.
void ReplacementFile::Save::startCopying() {
    fd_.reset();
    removeOurName(tempNew_);
    fd_.reset(::openat(folder_.get(), name_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    // The target given is the file itself: a link there now was put there by someone else.
    if (!fd_ && errno == ELOOP) throw Error::replaced(target_);
    if (!fd_) throw errnoError(errno, Action::kSave, target_);
    // What is overwritten is the file that was read, whatever the name has led to meanwhile.
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) throw errnoError(errno, Action::kSave, target_);
    if (opened_ && stampOf(st) != *opened_) throw Error::replaced(target_);
    // The copy is on disk under the backup's name, and that name on disk, before the first byte
    // of the file changes: a crash while overwriting leaves the old version where restore finds
    // it.
    oldCopy_ = copyOfCurrentVersion(fd_.get());
    if (!backupName_.empty()) keepCurrentAsBackup();
    if (::fsync(folder_.get()) != 0 && errno != EINVAL) {
        throw errnoError(errno, Action::kSave, target_);
    }
    overwriting_ = true;
}

// Gives the unnamed file `fd` a fresh name of ours in the role `role`, kept in `named`.
void ReplacementFile::Save::nameTemporary(int fd, const char* role, std::string& named) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const auto made = ours_->make(role, [&](const std::string& fresh) {
        return ::linkat(AT_FDCWD, self.c_str(), folder_.get(), fresh.c_str(), AT_SYMLINK_FOLLOW) ==
               0;
    });
    if (!made) throw errnoError(errno, Action::kSave, target_);
    named = *made;
}

// The current version gets a second name of ours: the same file where the file system allows,
// a copy otherwise.
void ReplacementFile::Save::nameOldVersion() {
    if (!tempOld_.empty()) return;
    const auto linked = ours_->make("old", [&](const std::string& fresh) {
        return ::linkat(folder_.get(), name_.c_str(), folder_.get(), fresh.c_str(), 0) == 0;
    });
    if (linked) {
        tempOld_ = *linked;
        return;
    }
    const UniqueFd current(
        ::openat(folder_.get(), name_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (!current) throw errnoError(errno, Action::kSave, target_);
    copyOfCurrentVersion(current.get());
}

// The current version takes the backup's name while it still has its own, so that at no moment
// its only name is one of ours. The older backup steps aside under our name first, for a failure
// to bring it back.
void ReplacementFile::Save::keepCurrentAsBackup() {
    struct stat backup {};
    // Anything but a file (a folder) stays where it is, and the rename below fails on it.
    if (::fstatat(folder_.get(), backupName_.c_str(), &backup, AT_SYMLINK_NOFOLLOW) == 0 &&
        (S_ISREG(backup.st_mode) || S_ISLNK(backup.st_mode))) {
        const auto parked = ours_->park(backupName_, "older");
        if (!parked) throw errnoError(errno, Action::kSave, backupPath());
        tempOlder_ = *parked;
    }
    nameOldVersion();
    if (::renameat(folder_.get(), tempOld_.c_str(), folder_.get(), backupName_.c_str()) != 0) {
        throw errnoError(errno, Action::kSave, backupPath());
    }
    tempOld_.clear();
    backupTaken_ = true;
}

// A save that failed leaves the older backup as it was.
void ReplacementFile::Save::putBackOlderBackup() {
    if (!tempOlder_.empty()) {
        // Over a second name of the same file the rename does nothing, and our name goes then; a
        // rename that failed leaves our name as the older backup's only one.
        if (::renameat(folder_.get(), tempOlder_.c_str(), folder_.get(), backupName_.c_str()) ==
            0) {
            removeOurName(tempOlder_);
        }
    } else if (backupTaken_) {
        ::unlinkat(folder_.get(), backupName_.c_str(), 0);
    }
    backupTaken_ = false;
}

FileStamp ReplacementFile::Save::commit() {
    flush();
    const FileStamp saved = byCopying_ ? commitInPlace() : commitNewFile();
    committed_ = true;
    removeOurName(tempOlder_);
    removeOurName(tempOld_);
    dropMarkIfAllGone();
    // Best effort: some file systems cannot sync a folder.
    ::fsync(folder_.get());
    return saved;
}

FileStamp ReplacementFile::Save::stampOfNewVersion() const {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) throw errnoError(errno, Action::kSave, target_);
    return stampOf(st);
}

FileStamp ReplacementFile::Save::commitNewFile() {
    // The new version is on disk before any name leads to it.
    if (::fsync(fd_.get()) != 0) throw errnoError(errno, Action::kSave, target_);
    const FileStamp saved = stampOfNewVersion();
    // Claimed before it has a name, so that no other run can claim it first.
    FileLock::tryLock(fd_, target_);
    if (tempNew_.empty()) nameTemporary(fd_.get(), "new", tempNew_);
    ensureUnchanged();
    if (exists_ && !backupName_.empty()) keepCurrentAsBackup();
    ensureUnchanged();
    if (::renameat(folder_.get(), tempNew_.c_str(), folder_.get(), name_.c_str()) != 0) {
        throw errnoError(errno, Action::kSave, target_);
    }
    tempNew_.clear();
    lock_.adopt(std::move(fd_));
    return saved;
}

FileStamp ReplacementFile::Save::commitInPlace() {
    const off_t size = ::lseek(fd_.get(), 0, SEEK_CUR);
    if (size < 0) throw errnoError(errno, Action::kSave, target_);
    if (::ftruncate(fd_.get(), size) != 0) {
        // The file is open for writing, so this is no refusal of rights: FAT through FUSE says
        // EPERM for a size it cannot set.
        throw errnoError(errno == EPERM ? EOPNOTSUPP : errno, Action::kSave, target_);
    }
    if (::fsync(fd_.get()) != 0) throw errnoError(errno, Action::kSave, target_);
    overwriting_ = false;
    return stampOfNewVersion();
}

// Stretches shorter than this are written: a copy in the kernel costs more to set up.
constexpr std::size_t kKernelCopyFrom = std::size_t{64} << 10;
// Pieces are gathered up to this much before they are written: few calls, and few pages of fresh
// memory to fault in, which costs more than the calls it spares where faults are dear.
constexpr std::size_t kPendingAtMost = std::size_t{16} << 10;

void ReplacementFile::Save::write(std::string_view bytes) {
    if (pending_.size() + bytes.size() > kPendingAtMost) flush();
    if (bytes.size() >= kPendingAtMost) {
        writeAll(fd_.get(), bytes, target_);
    } else {
        pending_.reserve(kPendingAtMost);
        pending_.append(bytes);
    }
}

void ReplacementFile::Save::flush() {
    writeAll(fd_.get(), pending_, target_);
    pending_.clear();
}

void ReplacementFile::Save::writeStretch(const FileContent& source, std::size_t offset,
                                         std::size_t size) {
    const std::string_view bytes = source.view().substr(offset, size);
    // Saving by copying writes over the file itself: never copy it onto itself.
    const int from = kernelCopies_ && !byCopying_ && size >= kKernelCopyFrom && source.mapping()
                         ? descriptorOf(*source.mapping())
                         : -1;
    std::size_t copied = 0;
    if (from >= 0) {
        flush();
        auto in = static_cast<loff_t>(offset);
        bool unsupported = false;
        copied = copyInKernel(from, &in, fd_.get(), nullptr, size, unsupported, target_);
        if (unsupported) kernelCopies_ = false;
    }
    // What the kernel left (the file cut short meanwhile reads as zeros, and the writer refuses
    // the save) is written from the mapping.
    write(bytes.substr(copied));
}

// Puts the file's bytes back from the copy after a failed overwrite.
void ReplacementFile::Save::restoreInPlace() {
    try {
        copyContent(oldCopy_.get(), fd_.get(), target_);
        ::ftruncate(fd_.get(), current_.st_size);
        ::fsync(fd_.get());
    } catch (const Error&) {
        // The copy keeps the backup's name (or ours) then: it is the only whole version left, and
        // the older backup stays under our name for the next run to settle.
        keepAside_ = true;
    }
    overwriting_ = false;
}

ReplacementFile::ReplacementFile(fs::path target, const fs::path& backup, FileLock& lock,
                                 std::optional<FileStamp> opened)
    : save_(std::make_unique<Save>(std::move(target), backup, lock, opened)) {
    // Begun once it is owned, so that whatever a failing start left is tidied as it goes.
    save_->begin();
}

ReplacementFile::~ReplacementFile() = default;

void ReplacementFile::write(std::string_view bytes) { save_->write(bytes); }

void ReplacementFile::writeStretch(const FileContent& source, std::size_t offset,
                                   std::size_t size) {
    save_->writeStretch(source, offset, size);
}

FileStamp ReplacementFile::commit() { return save_->commit(); }

bool ReplacementFile::byCopying() const { return save_->byCopying(); }

void settleLeftoversOf(const fs::path& target, const fs::path& backup) {
    const UniqueFd folder = openFolder(folderOf(target));
    if (folder) {
        settleLeftovers(folder.get(), target.filename().native(), backup.filename().native());
    }
}

}  // namespace storage
