#include "interposer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace interposer {

std::vector<Event>* events = nullptr;

namespace {

// Made on first use: a program may arm the plan while it starts, before this file's statics.
Plan& plan() {
    static Plan current;
    return current;
}
bool armed = false;
int calls = 0;

ino_t inodeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

ino_t inodeAt(int folder, const char* name, int flags) {
    struct stat st {};
    return ::fstatat(folder, name, &st, flags) == 0 ? st.st_ino : 0;
}

std::string baseName(const char* path) {
    const std::string text = path;
    return text.substr(text.rfind('/') + 1);
}

// Records the call and carries out the plan: false when the call is not to be made (errno set).
bool proceed(Event event) {
    const bool counted = plan().only.empty() || event.call == plan().only;
    if (events != nullptr) events->push_back(std::move(event));
    if (!armed || !counted || ++calls != plan().at) return true;
    switch (plan().act) {
        case Plan::Act::kKill:
            ::_exit(kKilledStatus);
        case Plan::Act::kFail:
            errno = plan().error;
            return false;
        case Plan::Act::kRun:
            plan().run();
            return true;
    }
    return true;
}

}  // namespace

void arm(Plan next) {
    plan() = std::move(next);
    calls = 0;
    armed = true;
}

int disarm() {
    armed = false;
    plan() = {};
    return calls;
}

}  // namespace interposer

using interposer::proceed;

extern "C" {
int __real_fsync(int fd);
int __real_fdatasync(int fd);
int __real_rename(const char* from, const char* to);
int __real_renameat(int fromFolder, const char* from, int toFolder, const char* to);
int __real_renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags);
int __real_link(const char* from, const char* to);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
int __real_unlinkat(int folder, const char* name, int flags);
int __real_mknodat(int folder, const char* name, mode_t mode, dev_t device);
int __real_ftruncate(int fd, off_t size);
ssize_t __real_write(int fd, const void* bytes, size_t size);
ssize_t __real_copy_file_range(int from, loff_t* in, int to, loff_t* out, size_t size,
                               unsigned flags);

int __wrap_fsync(int fd) {
    return proceed({"fsync", interposer::inodeOf(fd), {}}) ? __real_fsync(fd) : -1;
}
int __wrap_fdatasync(int fd) {
    return proceed({"fsync", interposer::inodeOf(fd), {}}) ? __real_fdatasync(fd) : -1;
}
int __wrap_rename(const char* from, const char* to) {
    return proceed({"name", interposer::inodeAt(AT_FDCWD, from, AT_SYMLINK_NOFOLLOW),
                    interposer::baseName(to)})
               ? __real_rename(from, to)
               : -1;
}
int __wrap_renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    return proceed({"name", interposer::inodeAt(fromFolder, from, AT_SYMLINK_NOFOLLOW),
                    interposer::baseName(to)})
               ? __real_renameat(fromFolder, from, toFolder, to)
               : -1;
}
int __wrap_renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags) {
    if ((flags & RENAME_EXCHANGE) != 0 && interposer::plan().noExchange) {
        errno = EINVAL;
        return -1;
    }
    return proceed({"name", interposer::inodeAt(fromFolder, from, AT_SYMLINK_NOFOLLOW),
                    interposer::baseName(to)})
               ? __real_renameat2(fromFolder, from, toFolder, to, flags)
               : -1;
}
int __wrap_link(const char* from, const char* to) {
    return proceed({"name", interposer::inodeAt(AT_FDCWD, from, AT_SYMLINK_NOFOLLOW),
                    interposer::baseName(to)})
               ? __real_link(from, to)
               : -1;
}
int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    const int follow = (flags & AT_SYMLINK_FOLLOW) != 0 ? 0 : AT_SYMLINK_NOFOLLOW;
    return proceed(
               {"name", interposer::inodeAt(fromFolder, from, follow), interposer::baseName(to)})
               ? __real_linkat(fromFolder, from, toFolder, to, flags)
               : -1;
}
int __wrap_unlinkat(int folder, const char* name, int flags) {
    return proceed({"unlink", interposer::inodeAt(folder, name, AT_SYMLINK_NOFOLLOW),
                    interposer::baseName(name)})
               ? __real_unlinkat(folder, name, flags)
               : -1;
}
int __wrap_mknodat(int folder, const char* name, mode_t mode, dev_t device) {
    return proceed({"name", 0, interposer::baseName(name)})
               ? __real_mknodat(folder, name, mode, device)
               : -1;
}
int __wrap_ftruncate(int fd, off_t size) {
    return proceed({"truncate", interposer::inodeOf(fd), {}}) ? __real_ftruncate(fd, size) : -1;
}
ssize_t __wrap_write(int fd, const void* bytes, size_t size) {
    return proceed({"write", interposer::inodeOf(fd), {}}) ? __real_write(fd, bytes, size) : -1;
}
ssize_t __wrap_copy_file_range(int from, loff_t* in, int to, loff_t* out, size_t size,
                               unsigned flags) {
    return proceed({"copy", interposer::inodeOf(to), {}})
               ? __real_copy_file_range(from, in, to, out, size, flags)
               : -1;
}
}
