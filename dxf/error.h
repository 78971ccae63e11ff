#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "storage/error.h"

namespace dxf {

// Every way a drawing can fail to open, be changed or be saved. The numbers live in one table
// (error.cpp); a system failure carries the Windows error code the same cause gives there.
enum class Errc {
    // System failures, numbered 0x8007xxxx like HRESULT_FROM_WIN32.
    kFileNotFound,
    kPathNotFound,
    kAccessDenied,
    kFolder,
    kInvalidName,
    kNameTooLong,
    kTooManyOpenFiles,
    kOutOfMemory,
    kWriteProtected,
    kWriteFault,
    kReadFault,
    kSharingViolation,
    kDiskFull,
    kFileTooLarge,
    kNotSupported,
    kFileExists,
    kSystem,
    // The drawing library's own failures.
    kNotDxf,
    kDwg,
    kMalformed,
    kTruncated,
    kUnsupportedCodePage,
    kAttributeNotWritable,
    kValueTooLong,
    kLocked,
    kReadOnly,
    kNoBackup,
    kChangedOnDisk,
    kReplaced,
};

// What was being done when a file operation failed; it opens the description.
using FileAction = storage::Action;

// A failure with a signed 32-bit number in the HRESULT style and a Chinese description that
// names the file and the cause.
class Error : public std::exception {
public:
    Error(Errc code, std::int32_t number, std::u16string description);

    Errc code() const noexcept { return code_; }
    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    Errc code_;
    std::int32_t number_;
    std::u16string description_;
    std::string utf8_;
};

// The HRESULT-style number of `code`.
std::int32_t numberOf(Errc code);

// The path as the user would type it, for descriptions.
std::u16string displayName(const std::filesystem::path& path);

// A failure of the file layer as a drawing's failure: a system failure by the Windows error code
// its cause maps to (2: not found, 5: access denied, 112: disk full …; an unknown code becomes
// kSystem and is quoted), a file that is no file to read as not a DXF drawing, and the rest as
// their own numbers.
Error fileError(const storage::Error& failure);

// Runs `body`, reporting a failure of the file layer as fileError() words it.
template <typename Body>
decltype(auto) namingFileErrors(Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (const storage::Error& failure) {
        throw fileError(failure);
    }
}

// A path that cannot name a file: empty, or holding U+0000.
Error invalidNameError(const std::filesystem::path& path);

// The file is not a DXF drawing; `dwg` when it is a DWG drawing, `empty` when it has no bytes.
Error notDxfError(const std::filesystem::path& path, bool dwg, bool empty);

// Malformed or truncated content. `position` is a line number (ASCII) or a byte offset (binary).
enum class Position { kLine, kByteOffset };
Error malformedError(const std::filesystem::path& path, Position kind, std::uint64_t position,
                     std::u16string_view detail);
Error truncatedError(const std::filesystem::path& path, Position kind, std::uint64_t position);

Error unsupportedCodePageError(const std::filesystem::path& path, std::string_view codePage);

// A put that the library cannot carry out completely, so it changes nothing.
Error attributeNotWritableError(const std::filesystem::path& path, std::u16string_view tag,
                                std::u16string_view reason);
Error valueTooLongError(const std::filesystem::path& path, std::u16string_view tag,
                        std::size_t bytes, std::size_t limit);

// Another program changed the drawing's file while it was being read, so its bytes here are not
// the file's. One changed since it was read fails its save as storage::Error::replaced says.
Error changedOnDiskError(const std::filesystem::path& path);

}  // namespace dxf
