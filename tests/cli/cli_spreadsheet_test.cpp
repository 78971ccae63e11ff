// Tables through the spreadsheets users edit them in: the workbook as openpyxl reads it, a
// workbook another program wrote, and a round trip through LibreOffice Calc with its defaults.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_program.h"
#include "files.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using subprocess::cli;
using subprocess::contains;
using subprocess::kFixtures;
using subprocess::kPython;
using testing_support::Ending;
using testing_support::linesOf;
using testing_support::readBytes;
using testing_support::runProgram;
using testing_support::TempFolder;
using testing_support::writeBytes;

const fs::path kOffice = "/usr/bin/soffice";

struct Seeded {
    const char* tag;
    const char* value;
    const char* shownByDefault;  // what a spreadsheet makes of it in a CSV; nullptr: kept
};

// Values spreadsheets take for numbers or formulas, and others they keep.
const Seeded kSeeded[] = {
    {"产品代号", "007", "7"},
    {"零件名称", "0012", "12"},
    {"零件代号", "000123", "123"},
    {"版本号5", "123456789012345678", "1.23456789012346E+017"},
    {"版本号4", "0.10", "0.1"},
    {"版本号3", "1.0", "1"},
    {"版本号2", "1E5", "100000"},
    {"版本号1", "=1+1", nullptr},
    {"更改通知号5", "=HYPERLINK(\"http://x\")", nullptr},
    {"更改通知号4", "+cmd|' /C calc'!A0", nullptr},
    {"更改通知号3", "@SUM(1)", nullptr},
    {"更改通知号2", "-2+3", nullptr},
    {"更改通知号1", "2024.03.18", nullptr},
    {"签名5", "2024年3月18日", nullptr},
    {"签名4", "齿轮 \"A\" 型, 第一行", nullptr},
    {"签名3", " 前后空格 ", nullptr},
};

fs::path seededDrawing(const fs::path& folder) {
    const fs::path drawing = folder / "零件 1.dxf";
    fs::copy_file(kFixtures / "titleblock_r2018.dxf", drawing);
    std::string values;
    for (const auto& s : kSeeded) values += s.tag + std::string("\t") + s.value + "\n";
    EXPECT_EQ(cli({"apply", "-", drawing.string()}, values).status, 0);
    return drawing;
}

TEST(CliWorkbook, IsAllTextWithABoldFrozenHeaderAsOpenpyxlReadsIt) {
    const TempFolder folder;
    seededDrawing(folder.path());
    const fs::path table = folder.path() / "表.xlsx";
    ASSERT_EQ(cli({"export", "-o", table.string(), folder.path().string(), "-r"}).status, 0);
    const char* check =
        "import sys, openpyxl\n"
        "sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "print(sheet.title, sheet.freeze_panes, all(c.font.b for c in sheet[1]))\n"
        "for row in sheet.iter_rows(min_row=2):\n"
        "    for c in row:\n"
        "        if c.value is not None:\n"
        "            w = sheet.column_dimensions[c.column_letter].width\n"
        "            print(c.data_type, c.number_format, w >= len(c.value), c.value)\n";
    const Ending read = runProgram(kPython, {"-c", check, table.string()});
    ASSERT_EQ(read.status, 0) << read.err;
    const auto lines = linesOf(read.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "标题栏 A2 True");
    for (const auto& s : kSeeded) {
        EXPECT_TRUE(contains(read.out, std::string("\ns @ True ") + s.value + "\n"))
            << s.value << "\n"
            << read.out;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(lines[i].starts_with("s @ True "));
}

TEST(CliWorkbook, ReadsWhatAnotherProgramWrote) {
    const TempFolder folder;
    const fs::path drawing = folder.path() / "d.dxf";
    fs::copy_file(kFixtures / "titleblock_r2018.dxf", drawing);
    const fs::path table = folder.path() / "t.xlsx";
    // Numbers, a boolean, a formula with its result, an inline string and a second sheet.
    const char* write =
        "import sys, openpyxl\n"
        "book = openpyxl.Workbook()\n"
        "sheet = book.active\n"
        "sheet.append(['图形', '零件代号', '版本号5', '签名1', '签名2', '日期1'])\n"
        "sheet.append(['d.dxf', 7, 0.1, True, 123456789012345678, '二〇二四'])\n"
        "book.create_sheet('其他').append(['图形', '零件名称'])\n"
        "book.save(sys.argv[1])\n";
    ASSERT_EQ(runProgram(kPython, {"-c", write, table.string()}).status, 0);
    const Ending imported = cli({"import", "-n", table.string()});
    EXPECT_EQ(imported.status, 0) << imported.err;
    const std::string d = drawing.string();
    // In the order the drawing holds its attributes.
    std::vector<std::string> changes = linesOf(imported.out);
    std::sort(changes.begin(), changes.end());
    std::vector<std::string> expected{
        d + "\t零件代号\tR2018/零件代号/甲\t7",
        d + "\t零件代号\tR2018/零件代号/乙\t7",
        d + "\t版本号5\tR2018/版本号5/甲\t0.1",
        d + "\t签名1\tR2018/签名1/甲\tTRUE",
        d + "\t签名2\tR2018/签名2/甲\t1.23456789012346E+17",
        d + "\t日期1\tR2018/日期1/甲\t二〇二四",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(changes, expected) << imported.out;
}

// LibreOffice opens the table with its defaults and saves it in the same format.
Ending throughLibreOffice(const fs::path& table, const fs::path& home) {
    const fs::path out = home / "out";
    const Ending converted =
        runProgram("/usr/bin/env", {"HOME=" + home.string(), kOffice.string(), "--headless",
                                    "--convert-to", table.extension().string().substr(1),
                                    "--outdir", out.string(), table.string()});
    fs::rename(out / table.filename(), table);
    return converted;
}

TEST(CliWorkbook, SurvivesLibreOfficeWhereCsvIsRefusedByName) {
    if (!fs::exists(kOffice)) GTEST_SKIP() << "LibreOffice Calc is not installed (scripts/setup)";
    const TempFolder folder;
    const fs::path drawing = seededDrawing(folder.path());
    const std::string seeded = readBytes(drawing);
    const fs::path workbook = folder.path() / "t.xlsx";
    const fs::path csv = folder.path() / "t.csv";
    for (const fs::path& table : {workbook, csv}) {
        ASSERT_EQ(cli({"export", "-o", table.string(), drawing.string()}).status, 0);
        const Ending converted = throughLibreOffice(table, folder.path() / "home");
        ASSERT_EQ(converted.status, 0) << converted.err;
    }

    const Ending fromWorkbook = cli({"import", "-n", workbook.string()});
    EXPECT_EQ(fromWorkbook.status, 0) << fromWorkbook.err;
    EXPECT_EQ(fromWorkbook.out, "");

    const Ending fromCsv = cli({"import", "-n", csv.string()});
    EXPECT_EQ(fromCsv.status, 1) << fromCsv.err;
    EXPECT_EQ(fromCsv.out, "");
    EXPECT_TRUE(contains(fromCsv.err, "表格程序改变了数字格式")) << fromCsv.err;
    for (const auto& s : kSeeded) {
        if (s.shownByDefault == nullptr) continue;
        EXPECT_TRUE(contains(fromCsv.err, std::string(s.tag) + "：图形中是“" + s.value +
                                              "”，表格中是“" + s.shownByDefault + "”"))
            << s.tag << "\n"
            << fromCsv.err;
    }
    EXPECT_EQ(cli({"import", csv.string()}).status, 1);
    EXPECT_EQ(readBytes(drawing), seeded);
}

}  // namespace
}  // namespace cli
