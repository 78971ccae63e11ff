#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace storage {

// What was being done when a file operation failed.
enum class Action { kOpen, kSave };

// Why it failed.
enum class Failure {
    kSystem,          // the system refused; win32Code() gives its cause
    kNotRegularFile,  // a device or the like, where a file or a pipe was to be read
    kTooLarge,        // more bytes than this machine can hold in memory
    kReadOnly,        // no one may write the file
    kLocked,          // another program holds the file's lock
    kNoBackup,        // a save was to be undone, but the backup it kept is not there
    kReplaced,  // the file's name leads to another file, or to a changed one, since it was read
};

// A failed file operation: why, with the Windows error code of the cause on every system, what
// was being done and to which file. Its number is that code in the HRESULT style; the layer that
// shows it to the user words it in its own terms.
class Error : public std::exception {
public:
    static Error system(std::uint32_t win32Code, Action action, std::filesystem::path path);
    static Error notRegularFile(std::filesystem::path path);
    static Error tooLarge(std::filesystem::path path, std::uint64_t bytes, std::uint64_t limit);
    static Error readOnly(std::filesystem::path path);
    static Error locked(std::filesystem::path path);
    static Error noBackup(std::filesystem::path file, std::filesystem::path backup);
    static Error replaced(std::filesystem::path path);

    Failure failure() const noexcept { return failure_; }
    std::uint32_t win32Code() const noexcept { return win32Code_; }
    std::int32_t number() const noexcept;
    Action action() const noexcept { return action_; }
    const std::filesystem::path& path() const noexcept { return path_; }
    // kTooLarge: the bytes the file holds at least, and the most this machine takes.
    std::uint64_t bytes() const noexcept { return bytes_; }
    std::uint64_t limit() const noexcept { return limit_; }
    // kNoBackup: where the backup was looked for.
    const std::filesystem::path& backup() const noexcept { return backup_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    Error(Failure failure, std::uint32_t win32Code, Action action, std::filesystem::path path,
          std::string_view reason);

    Failure failure_;
    std::uint32_t win32Code_;
    Action action_;
    std::filesystem::path path_;
    std::uint64_t bytes_ = 0;
    std::uint64_t limit_ = 0;
    std::filesystem::path backup_;
    std::string what_;
};

}  // namespace storage
