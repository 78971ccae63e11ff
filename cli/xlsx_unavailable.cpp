// Builds without libxlsxwriter, libzip and expat (the Windows one, for now) refuse workbooks by
// name rather than misread them as text.

#include "cli/usage_error.h"
#include "cli/xlsx_table.h"

namespace cli {

namespace {

[[noreturn]] void unavailable() {
    throw UsageError(cad::errc::kInvalidArgument,
                     u"这个版本不能读写 .xlsx 表格，请用 CSV（在表格程序中另存为 CSV）。");
}

}  // namespace

std::vector<TableRow> parseXlsx(std::string_view, const std::u16string&) { unavailable(); }

std::string formatXlsx(const std::vector<TableRow>&) { unavailable(); }

}  // namespace cli
