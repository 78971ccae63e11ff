#include "storage/error.h"

#include <utility>

#include "base/hresult.h"
#include "base/path_name.h"
#include "base/unicode.h"

namespace storage {

namespace fs = std::filesystem;

namespace {

// Windows error codes for the failures the system does not name itself.
constexpr std::uint32_t kFileNotFound = 2;    // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kAccessDenied = 5;    // ERROR_ACCESS_DENIED
constexpr std::uint32_t kLockViolation = 33;  // ERROR_LOCK_VIOLATION
constexpr std::uint32_t kBadFileType = 222;   // ERROR_BAD_FILE_TYPE
constexpr std::uint32_t kFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE
constexpr std::uint32_t kFileInvalid = 1006;  // ERROR_FILE_INVALID: altered outside the handle

std::string quoted(const fs::path& path) {
    return "“" + base::utf16ToUtf8(base::visibleName(base::nameOf(path))) + "”";
}

}  // namespace

Error::Error(Failure failure, std::uint32_t win32Code, Action action, fs::path path,
             std::string_view reason)
    : failure_(failure), win32Code_(win32Code), action_(action), path_(std::move(path)) {
    const char* verb = failure == Failure::kNoBackup ? "无法恢复文件"
                       : action == Action::kOpen     ? "无法打开文件"
                                                     : "无法保存文件";
    what_ = verb + quoted(path_) + "：" + std::string(reason);
}

Error Error::system(std::uint32_t win32Code, Action action, fs::path path) {
    return {Failure::kSystem, win32Code, action, std::move(path),
            "系统错误（代码 " + std::to_string(win32Code) + "）"};
}

Error Error::notRegularFile(fs::path path) {
    return {Failure::kNotRegularFile, kBadFileType, Action::kOpen, std::move(path),
            "它不是普通文件"};
}

Error Error::tooLarge(fs::path path, std::uint64_t bytes, std::uint64_t limit) {
    Error error(Failure::kTooLarge, kFileTooLarge, Action::kOpen, std::move(path),
                "文件至少有 " + std::to_string(bytes) + " 字节，超过本机的上限 " +
                    std::to_string(limit) + " 字节");
    error.bytes_ = bytes;
    error.limit_ = limit;
    return error;
}

Error Error::readOnly(fs::path path) {
    return {Failure::kReadOnly, kAccessDenied, Action::kSave, std::move(path), "文件是只读的"};
}

Error Error::locked(fs::path path) {
    return {Failure::kLocked, kLockViolation, Action::kOpen, std::move(path),
            "文件正被另一程序锁定"};
}

Error Error::noBackup(fs::path file, fs::path backup) {
    Error error(Failure::kNoBackup, kFileNotFound, Action::kSave, std::move(file),
                "没有备份" + quoted(backup));
    error.backup_ = std::move(backup);
    return error;
}

Error Error::replaced(fs::path path) {
    return {Failure::kReplaced, kFileInvalid, Action::kSave, std::move(path),
            "文件在读取后被另一程序替换或改动"};
}

std::int32_t Error::number() const noexcept { return base::hresultFromWin32(win32Code_); }

}  // namespace storage
