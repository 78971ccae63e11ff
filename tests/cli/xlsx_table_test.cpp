// Workbooks as the program writes them and reads them back, and what it refuses to take for one.

#include <gtest/gtest.h>

#include "cli/table_format.h"
#include "cli/usage_error.h"
#include "cli/xlsx_table.h"

namespace cli {
namespace {

TEST(XlsxTable, ReadsBackEveryValueItWritesAsItWasWritten) {
    const std::vector<TableRow> rows{
        {u"图形", u"零件代号", u"零件名称", u"签名1"},
        {u"a.dxf", u"007", u"123456789012345678", u"=1+1"},
        {u"b c.dxf", u"0.10", u"1E5", u" 前后空格 "},
        {u"d.dxf", u"", u"逗号,引号\"和\n换行", u"\x1B[2J红\x07"},
        {u"e.dxf", u"TRUE", u"_x0041_x0042_", u"'引号"},
    };
    const std::string bytes = formatXlsx(rows);
    EXPECT_TRUE(bytes.starts_with("PK\x03\x04"));
    std::vector<TableRow> read = parseXlsx(bytes, u"t.xlsx");
    // A cell left empty is not written, so a row ends at its last value.
    read[3].resize(4);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(read[r], rows[r]);
    }
}

TEST(XlsxTable, ChoosesTheFormatByTheNameAndRefusesOtherWorkbooks) {
    const std::vector<TableRow> rows{{u"图形", u"零件名称"}, {u"a.dxf", u"=1"}};
    const struct {
        std::u16string name;
        bool table;
        bool workbook;
        bool refused;
    } cases[] = {
        {u"t.csv", true, false, false},  {u"t.CSV", true, false, false},
        {u"t.xlsx", true, true, false},  {u"t.XLSX", true, true, false},
        {u"t.tsv", false, false, false}, {u"t.xls", true, false, true},
        {u"t.ods", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(isTableName(c.name), c.table);
        if (c.refused) {
            EXPECT_THROW(formatTable(rows, c.name), UsageError);
            EXPECT_THROW(parseTable("a,b\n", Encoding::kAuto, c.name), UsageError);
            continue;
        }
        const std::string bytes = formatTable(rows, c.name);
        EXPECT_EQ(bytes.starts_with("PK"), c.workbook);
        EXPECT_EQ(parseTable(bytes, Encoding::kAuto, c.name), rows);
    }
}

TEST(XlsxTable, RefusesWhatIsNoWorkbook) {
    const std::string workbook = formatXlsx({{u"图形"}});
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text", "图形,零件名称\n"},
        {"an empty file", ""},
        {"a cut-off archive", workbook.substr(0, workbook.size() / 2)},
        {"an archive's first bytes", "PK\x03\x04"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(parseXlsx(c.bytes, u"t.xlsx"), UsageError);
    }
}

}  // namespace
}  // namespace cli
