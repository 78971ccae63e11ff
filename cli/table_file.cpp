#include "cli/table_file.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>

#include "base/path_name.h"
#include "base/unicode.h"
#include "cli/usage_error.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::u16string& source, std::size_t row, std::u16string_view problem) {
    throw UsageError(cad::errc::kInvalidArgument, u"表格 " + source + u" 第 " +
                                                      base::utf8ToUtf16(std::to_string(row)) +
                                                      u" 行：" + std::u16string(problem));
}

bool blank(const TableRow& row) {
    return std::all_of(row.begin(), row.end(), [](const auto& cell) { return cell.empty(); });
}

// The field of each column; 0 for the drawing column.
std::vector<int> columnsOf(const TableRow& header, const std::u16string& source) {
    std::vector<int> columns;
    std::set<int> seen;
    for (const auto& name : header) {
        int field = 0;
        if (name != kDrawingColumn) {
            const auto known = titleblock::fieldForTag(name);
            if (!known)
                fail(source, 1, u"未知的列“" + name + u"”：列名应是“图形”或 29 个标记之一。");
            field = *known;
        }
        if (!seen.insert(field).second) fail(source, 1, u"列“" + name + u"”重复出现。");
        columns.push_back(field);
    }
    if (!seen.contains(0)) fail(source, 1, u"缺少“图形”列。");
    return columns;
}

}  // namespace

TableRow tableHeader() {
    TableRow header{std::u16string(kDrawingColumn)};
    std::transform(titleblock::kFieldMap.begin(), titleblock::kFieldMap.end(),
                   std::back_inserter(header),
                   [](const titleblock::FieldMapRow& row) { return std::u16string(row.tag); });
    return header;
}

std::vector<ops::DrawingJob> jobsFromTable(const std::vector<TableRow>& rows,
                                           const std::u16string& source,
                                           const std::u16string& tableFolder) {
    if (rows.empty()) fail(source, 1, u"表格是空的，缺少标题行。");
    const std::vector<int> columns = columnsOf(rows.front(), source);
    const fs::path folder = base::pathOf(tableFolder);
    std::vector<ops::DrawingJob> jobs;
    std::set<fs::path> named;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const TableRow& row = rows[r];
        if (blank(row)) continue;  // spreadsheets leave rows of empty cells
        if (row.size() > columns.size()) fail(source, r + 1, u"单元格比标题行多。");
        ops::DrawingJob job;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (columns[c] == 0) {
                job.path = row[c];
            } else if (!row[c].empty()) {
                job.values[columns[c]] = row[c];
            }
        }
        if (job.path.empty()) fail(source, r + 1, u"“图形”单元格是空的。");
        const fs::path given = base::pathOf(job.path);
        const fs::path path = given.is_absolute() ? given : folder / given;
        if (!named.insert(fs::absolute(path).lexically_normal()).second) {
            fail(source, r + 1, u"图形 " + job.path + u" 在表格中出现了不止一次。");
        }
        job.path = base::nameOf(path);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

FieldValues valuesFromTable(const std::vector<TableRow>& rows, const std::u16string& source) {
    FieldValues values;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const TableRow& row = rows[r];
        if (blank(row)) continue;
        if (r == 0 && (row[0] == u"标记" || row[0] == u"tag" || row[0] == u"Tag")) continue;
        if (row.size() > 2) fail(source, r + 1, u"应只有两列：标记和值。");
        const auto field = titleblock::fieldForTag(row[0]);
        if (!field) fail(source, r + 1, u"未知的标记“" + row[0] + u"”。");
        if (!values.emplace(*field, row.size() > 1 ? row[1] : u"").second) {
            fail(source, r + 1, u"标记“" + row[0] + u"”重复出现。");
        }
    }
    return values;
}

}  // namespace cli
