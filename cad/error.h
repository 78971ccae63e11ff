#pragma once

#include <cstdint>
#include <exception>
#include <string>

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

// Numbers shared by every backend, so one cause reads the same everywhere.
namespace errc {
inline constexpr std::int32_t kNoInterface =
    static_cast<std::int32_t>(0x80004002);                                        // E_NOINTERFACE
inline constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0x8002000B);  // DISP_E_BADINDEX
inline constexpr std::int32_t kUnavailable =
    static_cast<std::int32_t>(0x800401E3);  // MK_E_UNAVAILABLE
inline constexpr std::int32_t kInvalidProgId =
    static_cast<std::int32_t>(0x800401F3);  // CO_E_CLASSSTRING
inline constexpr std::int32_t kObjectNotSet =
    static_cast<std::int32_t>(0x800A005B);  // run-time error 91
inline constexpr std::int32_t kUntitledSave = static_cast<std::int32_t>(0x80040201);
}  // namespace errc

// The error for a call on an object reference that holds nothing, as after a failed start-up.
Error objectNotSet();

}  // namespace cad
