#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_table.h"

namespace cli {

// The rows of the first sheet of the .xlsx workbook in `bytes`, each cell as the spreadsheet shows
// it: text as it is, a number in at most 15 significant digits (1.23456789012346E+17), TRUE or
// FALSE, a formula's last result. Cells a row skips are empty. Throws UsageError naming `source`
// for bytes that are not such a workbook.
std::vector<TableRow> parseXlsx(std::string_view bytes, const std::u16string& source);

// The bytes of an .xlsx workbook of one sheet, 标题栏, holding `rows`: every cell text (so that no
// spreadsheet takes 007 or a long number for a number), the first row bold and frozen, each
// column as wide as its content. Throws cad::Error when the workbook cannot be made.
std::string formatXlsx(const std::vector<TableRow>& rows);

}  // namespace cli
