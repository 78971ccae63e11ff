#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_table.h"
#include "cli/text_encoding.h"

namespace cli {

// Tables come as CSV text or as .xlsx workbooks, told apart by the file's name.

// Whether `name` is a table's: it ends in .csv, or in .xlsx, .xls or .ods as workbooks do.
bool isTableName(std::u16string_view name);

// Throws UsageError for the name of another program's workbook (.xls, .ods), which is neither
// read (its bytes would be taken for text) nor written (it would get CSV under its name).
void refuseForeignWorkbook(const std::u16string& name);

// The rows of the table `name` holds in `bytes`: the first sheet of a workbook, else CSV text in
// `encoding`. Throws UsageError naming `name` for bytes that are no such table, and as
// refuseForeignWorkbook does.
std::vector<TableRow> parseTable(std::string_view bytes, Encoding encoding,
                                 const std::u16string& name);

// The bytes of `rows` as the table `name` names: a workbook for .xlsx, else CSV. Throws
// UsageError as refuseForeignWorkbook does.
std::string formatTable(const std::vector<TableRow>& rows, const std::u16string& name);

}  // namespace cli
