#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

using TableRow = std::vector<std::u16string>;

// Reads RFC 4180 text as spreadsheets save it: quoted cells may hold separators, quotes and
// line ends; cells are kept exactly, spaces included; blank lines are skipped. The separator
// (comma, semicolon or tab) is the one that occurs most in the first row outside quotes. One
// leading ' is taken off every cell: formatCsv put it there.
// Throws UsageError naming `source` for text that is not such a table.
std::vector<TableRow> parseCsv(std::u16string_view text, const std::u16string& source);

// Writes `rows` as RFC 4180 CSV, UTF-8 with a byte-order mark and CRLF line ends, as
// spreadsheets on every system open it with the Chinese intact. A cell that a spreadsheet would
// take for a formula (one that begins with = + - @ tab, carriage return or ') gets a ' before it,
// which spreadsheets show as text and parseCsv takes off again.
std::string formatCsv(const std::vector<TableRow>& rows);

}  // namespace cli
