#pragma once

#include <string>
#include <vector>

#include "cli/csv_table.h"
#include "cli/values_file.h"
#include "ops/reported_batch.h"

namespace cli {

// The column that names each row's drawing.
inline constexpr std::u16string_view kDrawingColumn = u"图形";

// The header of an exported table: the drawing column, then the 29 tags in the order of the
// title-block table.
TableRow tableHeader();

// One job per row of an import table: the drawing named in its 图形 cell (a relative path is
// taken from `tableFolder`) and its non-empty cells by field. Columns may be left out or put in
// any order. Throws UsageError naming `source` for a missing 图形 column, an unknown or repeated
// column, a row with more cells than the header or without a drawing, and a drawing named twice.
std::vector<ops::DrawingJob> jobsFromTable(const std::vector<TableRow>& rows,
                                           const std::u16string& source,
                                           const std::u16string& tableFolder);

// The values of a two-column table (tag, value), as a spreadsheet saves a values file. A first
// row 标记/tag is a header. Throws UsageError as parseValues does.
FieldValues valuesFromTable(const std::vector<TableRow>& rows, const std::u16string& source);

}  // namespace cli
