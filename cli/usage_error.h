#pragma once

#include <cstdint>

#include "cad/error.h"

namespace cli {

// A command line, values file or table that cannot be carried out: reported like a CAD failure,
// with a number and a description, but before any drawing is opened, and ending with status 2.
class UsageError : public cad::Error {
public:
    using cad::Error::Error;
};

inline constexpr std::int32_t kInvalidArgument =
    static_cast<std::int32_t>(0x80070057);  // E_INVALIDARG
inline constexpr std::int32_t kFileNotFound = static_cast<std::int32_t>(0x80070002);
inline constexpr std::int32_t kReadFault = static_cast<std::int32_t>(0x8007001E);
inline constexpr std::int32_t kInputTooLarge =
    static_cast<std::int32_t>(0x800700DF);  // ERROR_FILE_TOO_LARGE
inline constexpr std::int32_t kBadEncoding =
    static_cast<std::int32_t>(0x80070459);  // ERROR_NO_UNICODE_TRANSLATION

}  // namespace cli
