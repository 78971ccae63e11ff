#pragma once

#include <map>
#include <string>
#include <string_view>

namespace cli {

// The fields a values file sets, by field number.
using FieldValues = std::map<int, std::u16string>;

// Parses the UTF-8 text of a values file: one line per field, the tag, a tab and the escaped
// value. Blank lines are skipped; a UTF-8 byte-order mark and CRLF line ends are accepted.
// Throws UsageError, naming `source` and the line, for an unknown or repeated tag or a malformed
// line.
FieldValues parseValues(std::string_view text, const std::u16string& source);

}  // namespace cli
