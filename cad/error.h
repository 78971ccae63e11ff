#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "base/hresult.h"

namespace cad {

// A failed call on the CAD object model: a signed 32-bit number in the HRESULT style and a
// description in the user's language. Users quote the number, so numbers never change meaning.
class Error : public std::exception {
public:
    Error(std::int32_t number, std::u16string description);

    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::int32_t number_;
    std::u16string description_;
    std::string utf8_;
};

// The one table of the numbers the program reports for causes outside the drawing library
// (whose own failures dxf/error.cpp numbers): shared by every backend and front end, so one cause
// reads the same everywhere.
namespace errc {
inline constexpr std::int32_t kUnexpected = base::hresult(0x8000FFFF);    // E_UNEXPECTED
inline constexpr std::int32_t kNoInterface = base::hresult(0x80004002);   // E_NOINTERFACE
inline constexpr std::int32_t kFailed = base::hresult(0x80004005);        // E_FAIL
inline constexpr std::int32_t kDisconnected = base::hresult(0x80010108);  // RPC_E_DISCONNECTED
inline constexpr std::int32_t kBadIndex = base::hresult(0x8002000B);      // DISP_E_BADINDEX
// Saving a drawing that was never given a file.
inline constexpr std::int32_t kUntitledSave = base::hresult(0x80040201);
// A batch's list would overwrite its own inputs: one drawing's backup is another listed one.
inline constexpr std::int32_t kBatchListConflict = base::hresult(0x80040202);
// The drawing is open in the CAD application with changes its user has not saved.
inline constexpr std::int32_t kUnsavedInCad = base::hresult(0x80040203);
// A table's value is what a spreadsheet made of the number the drawing holds (007 became 7).
inline constexpr std::int32_t kSpreadsheetNumber = base::hresult(0x80040204);
// A drawing's title block stands in several places with different values (a warning: the first
// one is taken).
inline constexpr std::int32_t kTitleBlockDiffers = base::hresult(0x80040205);
inline constexpr std::int32_t kUnavailable = base::hresult(0x800401E3);    // MK_E_UNAVAILABLE
inline constexpr std::int32_t kInvalidProgId = base::hresult(0x800401F3);  // CO_E_CLASSSTRING
inline constexpr std::int32_t kFileNotFound = base::hresultFromWin32(2);
inline constexpr std::int32_t kAccessDenied = base::hresultFromWin32(5);  // as for a read-only file
inline constexpr std::int32_t kOutOfMemory = base::hresultFromWin32(14);
inline constexpr std::int32_t kWriteFault = base::hresultFromWin32(29);
inline constexpr std::int32_t kReadFault = base::hresultFromWin32(30);
inline constexpr std::int32_t kInvalidArgument = base::hresultFromWin32(87);  // E_INVALIDARG
// A FIFO, a device or a socket where a drawing file was looked for (ERROR_BAD_FILE_TYPE).
inline constexpr std::int32_t kNotRegularFile = base::hresultFromWin32(222);
// A values file or table far larger than any could be.
inline constexpr std::int32_t kInputTooLarge = base::hresultFromWin32(223);
// Text that is not valid in its encoding (ERROR_NO_UNICODE_TRANSLATION).
inline constexpr std::int32_t kBadEncoding = base::hresultFromWin32(1113);
inline constexpr std::int32_t kObjectNotSet = base::hresultFromRunTimeError(91);
// The file dialog's chosen names are longer than its longest-result setting allows.
inline constexpr std::int32_t kResultTooLong = base::hresultFromRunTimeError(20476);
}  // namespace errc

// The error for a call on an object reference that holds nothing, as after a failed start-up.
Error objectNotSet();

}  // namespace cad
