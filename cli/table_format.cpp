#include "cli/table_format.h"

#include <algorithm>
#include <iterator>

#include "cli/drawing_paths.h"
#include "cli/usage_error.h"
#include "cli/xlsx_table.h"

namespace cli {

namespace {

constexpr std::u16string_view kWorkbook = u".xlsx";
constexpr std::u16string_view kForeignWorkbooks[] = {u".xls", u".ods"};

}  // namespace

bool isTableName(std::u16string_view name) {
    return hasExtension(name, u".csv") || hasExtension(name, kWorkbook) ||
           std::any_of(
               std::begin(kForeignWorkbooks), std::end(kForeignWorkbooks),
               [name](std::u16string_view extension) { return hasExtension(name, extension); });
}

void refuseForeignWorkbook(const std::u16string& name) {
    for (const std::u16string_view extension : kForeignWorkbooks) {
        if (!hasExtension(name, extension)) continue;
        throw UsageError(cad::errc::kInvalidArgument,
                         u"表格 " + name + u" 是不能读写的工作簿（" + std::u16string(extension) +
                             u"）：请在表格程序中另存为 .xlsx 或 CSV。");
    }
}

std::vector<TableRow> parseTable(std::string_view bytes, Encoding encoding,
                                 const std::u16string& name) {
    refuseForeignWorkbook(name);
    if (hasExtension(name, kWorkbook)) return parseXlsx(bytes, name);
    return parseCsv(decodeText(bytes, encoding, name), name);
}

std::string formatTable(const std::vector<TableRow>& rows, const std::u16string& name) {
    refuseForeignWorkbook(name);
    return hasExtension(name, kWorkbook) ? formatXlsx(rows) : formatCsv(rows);
}

}  // namespace cli
