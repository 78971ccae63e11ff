// The numbers users quote when they ask for help: each named cause keeps its HRESULT.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/hresult.h"
#include "cad/error.h"

namespace cad {
namespace {

TEST(ErrorNumbers, HresultsAreNegativeAndDerivedOnesSpellTheirHex) {
    EXPECT_EQ(base::hresult(0x80070002), -2147024894);
    EXPECT_EQ(base::hresultFromWin32(2), base::hresult(0x80070002));
    EXPECT_EQ(base::hresultFromWin32(0x1'0070), base::hresult(0x80070070)) << "16 bits only";
    EXPECT_EQ(base::hresultFromRunTimeError(91), base::hresult(0x800A005B));
}

TEST(ErrorNumbers, EveryNamedCauseKeepsItsNumber) {
    const struct {
        const char* name;
        std::int32_t number;
        std::uint32_t hex;
    } cases[] = {
        {"unexpected", errc::kUnexpected, 0x8000FFFF},
        {"no interface", errc::kNoInterface, 0x80004002},
        {"failed", errc::kFailed, 0x80004005},
        {"disconnected", errc::kDisconnected, 0x80010108},
        {"bad index", errc::kBadIndex, 0x8002000B},
        {"untitled save", errc::kUntitledSave, 0x80040201},
        {"batch list conflict", errc::kBatchListConflict, 0x80040202},
        {"unsaved in the CAD application", errc::kUnsavedInCad, 0x80040203},
        {"number changed by a spreadsheet", errc::kSpreadsheetNumber, 0x80040204},
        {"unavailable", errc::kUnavailable, 0x800401E3},
        {"invalid ProgID", errc::kInvalidProgId, 0x800401F3},
        {"file not found", errc::kFileNotFound, 0x80070002},
        {"access denied", errc::kAccessDenied, 0x80070005},
        {"out of memory", errc::kOutOfMemory, 0x8007000E},
        {"write fault", errc::kWriteFault, 0x8007001D},
        {"invalid argument", errc::kInvalidArgument, 0x80070057},
        {"object not set", errc::kObjectNotSet, 0x800A005B},
        {"dialog result too long", errc::kResultTooLong, 0x800A4FFC},
    };
    for (const auto& c : cases) EXPECT_EQ(c.number, base::hresult(c.hex)) << c.name;
}

}  // namespace
}  // namespace cad
