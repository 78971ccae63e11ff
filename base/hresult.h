#pragma once

#include <cstdint>

// Failure numbers in the HRESULT style: signed 32-bit numbers that users quote in hexadecimal.
namespace base {

// The number whose bits the hexadecimal literal spells: hresult(0x80070002).
constexpr std::int32_t hresult(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }

// The number of a Windows error code (2: file not found …), as HRESULT_FROM_WIN32 makes it.
constexpr std::int32_t hresultFromWin32(std::uint32_t code) {
    return hresult(0x80070000U | (code & 0xFFFFU));
}

// The number of a run-time error n of the automation language (91: object not set …).
constexpr std::int32_t hresultFromRunTimeError(std::uint32_t n) {
    return hresult(0x800A0000U | (n & 0xFFFFU));
}

}  // namespace base
