#pragma once

#include <filesystem>

// An exclusive claim on a drawing between opening and saving it, so that two runs editing the same
// drawing cannot each keep only their own changes.
namespace dxf::platform {

class FileLock {
public:
    // Holds nothing: for a drawing that has no file.
    FileLock() = default;
    // Claims the file `path` names (through symbolic links). Throws dxf::Error: the lock error when
    // another program holds it, the open error when the file cannot be opened. A file system that
    // knows no locks gives a lock that holds nothing rather than a drawing that cannot be edited.
    explicit FileLock(const std::filesystem::path& path);
    // The same, except that where `held` already claims that file the claim is shared, not
    // refused: a program reopening the drawing it holds.
    FileLock(const std::filesystem::path& path, const FileLock& held);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

#ifdef _WIN32
    using Handle = void*;
    static constexpr Handle kNone = nullptr;
#else
    using Handle = int;
    static constexpr Handle kNone = -1;
#endif
    // The open file the lock is held through (kNone when it holds nothing).
    Handle handle() const { return handle_; }
    // Takes over `handle`, already locked, for a new version of the file that now carries its
    // name; the old claim ends.
    void adopt(Handle handle);
    // Locks the open file `handle` without waiting: false when another program holds the lock.
    static bool tryLock(Handle handle, const std::filesystem::path& path);

private:
    void release();

    Handle handle_ = kNone;
};

}  // namespace dxf::platform
