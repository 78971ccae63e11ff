#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/unicode.h"
#include "cad/error.h"
#include "cli/scratch_folder.h"
#include "cli/xlsx_table.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr double kWidestColumn = 60;

[[noreturn]] void cannotMake(lxw_error error) {
    throw cad::Error(cad::errc::kWriteFault,
                     u"无法生成 .xlsx 表格：" + base::utf8ToUtf16(lxw_strerror(error)) + u"。");
}

void check(lxw_error error) {
    if (error != LXW_NO_ERROR) cannotMake(error);
}

// Column widths count characters, a CJK character as two, as spreadsheets draw them.
double widthOf(const std::u16string& text) {
    double width = 0;
    for (const char16_t unit : text) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // the second half of a pair
        width += unit >= 0x1100 ? 2 : 1;
    }
    return width;
}

// Spreadsheets read _xHHHH_ in text as the character HHHH (libxlsxwriter writes control
// characters so); text that holds such a sequence itself gets its underscore written as _x005F_.
std::string escapedUnderscores(const std::string& text) {
    static const std::regex kLooksEscaped("_(?=x[0-9A-Fa-f]{4}_)");
    return std::regex_replace(text, kLooksEscaped, "_x005F_");
}

// libxlsxwriter writes to named files only: they go in a folder of this process's own.
class PrivateFolder {
public:
    PrivateFolder() {
        auto made = makeScratchFolder();
        if (!made) cannotMake(LXW_ERROR_CREATING_TMPFILE);
        path_ = std::move(*made);
    }
    ~PrivateFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

std::string formatXlsx(const std::vector<TableRow>& rows) {
    const PrivateFolder folder;
    constexpr const char* kFileName = "table.xlsx";
    auto folderName = fopenName(folder.path());
    if (!folderName) cannotMake(LXW_ERROR_CREATING_TMPFILE);
    const std::string name =
        *folderName + static_cast<char>(fs::path::preferred_separator) + kFileName;
    // Its temporary files go there too, so that nothing is left elsewhere.
    lxw_workbook_options options{};
    options.tmpdir = folderName->data();
    lxw_workbook* workbook = workbook_new_opt(name.c_str(), &options);
    if (workbook == nullptr) cannotMake(LXW_ERROR_CREATING_XLSX_FILE);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "标题栏");
    // "@" keeps a cell text when someone edits it, not only as written.
    lxw_format* text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    lxw_format* header = workbook_add_format(workbook);
    format_set_num_format(header, "@");
    format_set_bold(header);

    std::vector<double> widths;
    lxw_error firstError = sheet == nullptr ? LXW_ERROR_MEMORY_MALLOC_FAILED : LXW_NO_ERROR;
    for (std::size_t r = 0; r < rows.size() && sheet != nullptr; ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (widths.size() <= c) widths.resize(c + 1, 0);
            widths[c] = std::max(widths[c], widthOf(rows[r][c]));
            const std::string value = escapedUnderscores(base::utf16ToUtf8(rows[r][c]));
            const lxw_error error =
                worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                       value.c_str(), r == 0 ? header : text);
            if (firstError == LXW_NO_ERROR) firstError = error;
        }
    }
    for (std::size_t c = 0; c < widths.size() && sheet != nullptr; ++c) {
        const auto column = static_cast<lxw_col_t>(c);
        worksheet_set_column(sheet, column, column, std::min(widths[c] + 2, kWidestColumn), text);
    }
    if (sheet != nullptr) worksheet_freeze_panes(sheet, 1, 0);
    // Closed whatever happened before, which frees the workbook.
    const lxw_error closed = workbook_close(workbook);
    check(firstError);
    check(closed);

    std::ifstream written(folder.path() / kFileName, std::ios::binary);
    std::ostringstream bytes;
    bytes << written.rdbuf();
    if (!written) cannotMake(LXW_ERROR_CREATING_XLSX_FILE);
    return std::move(bytes).str();
}

}  // namespace cli
