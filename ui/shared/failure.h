#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace shared {

// A failure that ended an operation, as the user is told of it.
struct Failure {
    std::int32_t number;
    std::u16string description;
};

// The number and description of whatever escaped an operation: a CAD failure as itself, any
// other exception under a general number.
Failure describeFailure(const std::exception_ptr& escaped);

// How a failure reads to the user: its number, in hex as the HRESULT it is and in signed decimal
// as users of the automation interface quote it, then its description.
std::u16string failureText(std::int32_t number, const std::u16string& description);

// The top-level report's text: the operation did not finish and the program ends.
std::u16string endingReportText(const Failure& failure);

// Why a file dialog's choice was dropped: its names take `length` characters, over `limit`.
std::u16string resultTooLongText(std::size_t length, std::int32_t limit);

inline constexpr int kFailureExitCode = 1;

}  // namespace shared
