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

TEST(TextEncoding, ReadsEveryFormSpreadsheetsSaveAndRefusesWhatIsNotText) {
    const std::string gbk = "\xC1\xE3\xBC\xFE";  // 零件
    const std::string gbkEuro = "\x80\xD4\xAA";  // €元, as Windows writes code page 936
    const std::string gb18030 = "\x81\x30\x81\x30\xC1\xE3";  // U+0080 in four bytes, then 零
    const std::string big5 = "\xB9\x73\xA5\xF3";             // 零件
    const std::string utf16le = std::string("\xFF\xFE\xF6\x96\xF6\x4E\t\0a\0", 10);
    const std::string utf16be = std::string("\xFE\xFF\x96\xF6\x4E\xF6\0\t\0a", 10);
    const std::string surrogates = std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6);  // 😀
    const struct {
        const char* name;
        std::string bytes;
        Encoding encoding;
        std::optional<std::u16string> text;  // nothing: refused
    } cases[] = {
        {"UTF-8", "零件", Encoding::kAuto, u"零件"},
        {"UTF-8 with mark", "\xEF\xBB\xBF零件", Encoding::kAuto, u"零件"},
        {"UTF-8 asked for, with mark", "\xEF\xBB\xBF零件", Encoding::kUtf8, u"零件"},
        {"UTF-16 LE by its mark", utf16le, Encoding::kAuto, u"零件\ta"},
        {"UTF-16 BE by its mark", utf16be, Encoding::kAuto, u"零件\ta"},
        {"UTF-16 asked for", utf16le, Encoding::kUtf16, u"零件\ta"},
        {"UTF-16 without mark is little-endian", utf16le.substr(2), Encoding::kUtf16, u"零件\ta"},
        {"UTF-16 surrogate pair", surrogates, Encoding::kAuto, u"\U0001F600"},
        {"GBK when not UTF-8", gbk, Encoding::kAuto, u"零件"},
        {"GBK asked for", gbk, Encoding::kGbk, u"零件"},
        {"GBK with the euro sign", gbkEuro, Encoding::kAuto, u"€元"},
        {"GB18030 four-byte character", gb18030, Encoding::kGbk, u"\u0080零"},
        {"Big5 asked for", big5, Encoding::kBig5, u"零件"},
        {"ASCII either way", "a,b", Encoding::kGbk, u"a,b"},
        {"GBK is not UTF-8", gbk, Encoding::kUtf8, std::nullopt},
        {"GBK cut off: neither UTF-8 nor GBK", gbk.substr(0, 3), Encoding::kAuto, std::nullopt},
        {"GBK cut off, asked for", gbk.substr(0, 3), Encoding::kGbk, std::nullopt},
        {"Big5 cut off", big5.substr(0, 3), Encoding::kBig5, std::nullopt},
        {"UTF-8 cut off after its mark", "\xEF\xBB\xBF\xE9\x9B", Encoding::kAuto, std::nullopt},
        {"UTF-16 cut off", utf16le.substr(0, 9), Encoding::kAuto, std::nullopt},
        {"UTF-16 lone surrogate", surrogates.substr(0, 4), Encoding::kAuto, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text) {
            EXPECT_EQ(decodeText(c.bytes, c.encoding, u"t.csv"), *c.text);
        } else {
            EXPECT_THROW(decodeText(c.bytes, c.encoding, u"t.csv"), UsageError);
        }
    }
}

TEST(TextEncoding, KnowsTheNamesUsersGive) {
    const struct {
        const char* name;
        std::optional<Encoding> encoding;
    } cases[] = {
        {"auto", Encoding::kAuto},    {"UTF-8", Encoding::kUtf8}, {"utf16", Encoding::kUtf16},
        {"UTF-16", Encoding::kUtf16}, {"GBK", Encoding::kGbk},    {"gb18030", Encoding::kGbk},
        {"cp936", Encoding::kGbk},    {"Big5", Encoding::kBig5},  {"latin1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encodingNamed(c.name), c.encoding) << c.name;
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
