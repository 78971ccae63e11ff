// Tables as spreadsheets save them: quoting, separators, encodings, and the rules for columns.

#include <gtest/gtest.h>

#include "cli/csv_table.h"
#include "cli/table_file.h"
#include "cli/text_encoding.h"
#include "cli/usage_error.h"

namespace cli {
namespace {

TEST(CsvTable, ReadsWhatSpreadsheetsSave) {
    const struct {
        const char* name;
        std::u16string text;
        std::vector<TableRow> rows;
    } cases[] = {
        {"comma, CRLF",
         u"图形,零件名称\r\na.dxf,轴\r\n",
         {{u"图形", u"零件名称"}, {u"a.dxf", u"轴"}}},
        {"semicolon (Excel in many locales)",
         u"图形;零件名称\nb.dxf;\"1,5\"\n",
         {{u"图形", u"零件名称"}, {u"b.dxf", u"1,5"}}},
        {"tab",
         u"图形\t零件名称\nc d.dxf\t 一个空格 \n",
         {{u"图形", u"零件名称"}, {u"c d.dxf", u" 一个空格 "}}},
        {"quotes, separators and line ends inside a cell",
         u"图形,零件名称,零件代号\r\n\"e,f.dxf\",\"齿轮 \"\"A\"\" 型\",\"第一行\r\n第二行\"\r\n",
         {{u"图形", u"零件名称", u"零件代号"},
          {u"e,f.dxf", u"齿轮 \"A\" 型", u"第一行\r\n第二行"}}},
        {"no line end at the end, blank lines skipped",
         u"图形,零件名称\n\n\ng.dxf,",
         {{u"图形", u"零件名称"}, {u"g.dxf", u""}}},
        {"one space stays a value",
         u"图形,签名1\nh.dxf, \n",
         {{u"图形", u"签名1"}, {u"h.dxf", u" "}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseCsv(c.text, u"t.csv"), c.rows);
    }
}

TEST(CsvTable, WritesWhatItReadsBackWithByteOrderMarkAndCrlf) {
    const std::vector<TableRow> rows{
        {u"图形", u"零件名称"}, {u"a b.dxf", u"齿轮 \"A\" 型,1\n第二行"}, {u"c.dxf", u""}};
    const std::string csv = formatCsv(rows);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("图形,零件名称\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"齿轮 \"\"A\"\" 型,1\n第二行\""), std::string::npos) << csv;
    EXPECT_EQ(parseCsv(decodeText(csv, Encoding::kAuto, u"t.csv"), u"t.csv"), rows);
}

TEST(CsvTable, MarksCellsASpreadsheetWouldEvaluateAndReadsThemBackExactly) {
    const struct {
        std::u16string value;
        std::string written;  // the cell as it stands in the file
    } cases[] = {
        {u"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {u"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {u"-2+3", "'-2+3"},
        {u"@SUM(1)", "'@SUM(1)"},
        {u"\t制表", "\"'\t制表\""},
        {u"\r回车", "\"'\r回车\""},
        {u"'引号", "''引号"},
        {u"a=b-c", "a=b-c"},
        {u"007", "007"},
        {u" =1", " =1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        const std::vector<TableRow> rows{{u"图形", u"零件名称"}, {u"a.dxf", c.value}};
        const std::string csv = formatCsv(rows);
        EXPECT_NE(csv.find("\r\na.dxf," + c.written + "\r\n"), std::string::npos) << csv;
        EXPECT_EQ(parseCsv(decodeText(csv, Encoding::kAuto, u"t.csv"), u"t.csv"), rows);
    }
    // What a user typed into a spreadsheet to keep a value as text is taken off too.
    EXPECT_EQ(parseCsv(u"图形,零件名称\na.dxf,'007\n", u"t.csv")[1][1], u"007");
}

TEST(CsvTable, RefusesAnUnclosedQuote) {
    EXPECT_THROW(parseCsv(u"图形,零件名称\na.dxf,\"轴\n", u"t.csv"), UsageError);
}

TEST(TextEncoding, ReadsUtf8WithOrWithoutMarkAndGbkOtherwise) {
    const std::string gbk = "\xC1\xE3\xBC\xFE";  // 零件 in GBK
    const struct {
        const char* name;
        std::string bytes;
        Encoding encoding;
        std::u16string text;
    } cases[] = {
        {"UTF-8", "零件", Encoding::kAuto, u"零件"},
        {"UTF-8 with mark", "\xEF\xBB\xBF零件", Encoding::kAuto, u"零件"},
        {"GBK when not UTF-8", gbk, Encoding::kAuto, u"零件"},
        {"GBK asked for", gbk, Encoding::kGbk, u"零件"},
        {"ASCII either way", "a,b", Encoding::kGbk, u"a,b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeText(c.bytes, c.encoding, u"t.csv"), c.text);
    }
    EXPECT_THROW(decodeText(gbk, Encoding::kUtf8, u"t.csv"), UsageError);
    // Neither UTF-8 nor GBK: a character cut off at the end is refused, never guessed at.
    EXPECT_THROW(decodeText(gbk.substr(0, 3), Encoding::kAuto, u"t.csv"), UsageError);
    EXPECT_THROW(decodeText(gbk.substr(0, 3), Encoding::kGbk, u"t.csv"), UsageError);
    EXPECT_EQ(encodingNamed("GBK"), Encoding::kGbk);
    EXPECT_EQ(encodingNamed("UTF-8"), Encoding::kUtf8);
    EXPECT_EQ(encodingNamed("latin1"), std::nullopt);
}

TEST(TableFile, TakesColumnsInAnyOrderAndEmptyCellsAsLeftAlone) {
    const auto jobs = jobsFromTable({{u"零件名称", u"图形", u"签名1"},
                                     {u"轴", u"a.dxf", u""},
                                     {u"", u"/abs/b.dxf", u" "},
                                     {u"", u"", u""}},
                                    u"t.csv", u"/表格");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].path, u"/表格/a.dxf");
    EXPECT_EQ(jobs[0].values, (std::map<int, std::u16string>{{22, u"轴"}}));
    EXPECT_EQ(jobs[1].path, u"/abs/b.dxf");
    EXPECT_EQ(jobs[1].values, (std::map<int, std::u16string>{{15, u" "}}));
    EXPECT_EQ(tableHeader().size(), 30u);
    EXPECT_EQ(tableHeader()[1], u"产品代号");
    EXPECT_EQ(tableHeader()[4], u"版本号5");
    EXPECT_EQ(tableHeader()[29], u"审核时间");
}

TEST(TableFile, RefusesTablesThatCannotBeMeantBeforeAnythingIsOpened) {
    const struct {
        const char* name;
        std::vector<TableRow> rows;
    } cases[] = {
        {"empty", {}},
        {"no drawing column", {{u"零件名称"}, {u"轴"}}},
        {"unknown column", {{u"图形", u"材料"}, {u"a.dxf", u"钢"}}},
        {"repeated column", {{u"图形", u"签名1", u"签名1"}, {u"a.dxf", u"", u""}}},
        {"more cells than the header", {{u"图形", u"签名1"}, {u"a.dxf", u"", u"x"}}},
        {"a row without its drawing", {{u"图形", u"签名1"}, {u"", u"张"}}},
        {"one drawing twice", {{u"图形", u"签名1"}, {u"a.dxf", u"张"}, {u"./a.dxf", u"李"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(jobsFromTable(c.rows, u"t.csv", u"/表格"), UsageError);
    }
}

TEST(TableFile, ReadsATwoColumnValuesTableWithOrWithoutHeader) {
    EXPECT_EQ(valuesFromTable({{u"标记", u"值"}, {u"零件名称", u"轴"}, {u"签名1", u""}}, u"v.csv"),
              (FieldValues{{22, u"轴"}, {15, u""}}));
    EXPECT_EQ(valuesFromTable({{u"零件名称", u"\"轴\""}}, u"v.csv"),
              (FieldValues{{22, u"\"轴\""}}));
    EXPECT_THROW(valuesFromTable({{u"零件名称", u"轴"}, {u"零件名称", u"齿"}}, u"v.csv"),
                 UsageError);
    EXPECT_THROW(valuesFromTable({{u"材料", u"钢"}}, u"v.csv"), UsageError);
}

}  // namespace
}  // namespace cli
