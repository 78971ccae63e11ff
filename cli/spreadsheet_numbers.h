#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/error.h"
#include "ops/batch.h"

namespace cli {

// Whether `now` is what a spreadsheet shows of `before` once it has taken it for a number: leading
// zeros dropped (007 → 7), trailing zeros after the point dropped (0.10 → 0.1, 1.0 → 1), a long
// number put in scientific notation (123456789012345678 → 1.23456789012346E+017) or scientific
// notation written out (1E5 → 100000), a formula replaced by its result (=1+1 → 2). A value a
// user typed is not taken for one: spreadsheets never write leading zeros, a plus sign or
// trailing zeros after the point.
bool spreadsheetChangedNumber(const std::u16string& before, const std::u16string& now);

// The error that refuses a drawing's `changes` when a spreadsheet made any of them
// (spreadsheetChangedNumber), naming each such value; nothing otherwise.
std::optional<cad::Error> spreadsheetNumberRefusal(const std::vector<ops::ValueChange>& changes);

}  // namespace cli
