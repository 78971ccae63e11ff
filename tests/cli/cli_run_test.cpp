// zandrel-cli run as a user runs it: a subprocess on copies of the fixtures, checked by reading
// the files back with the program itself, byte for byte, and with ezdxf.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "base/version.h"
#include "child_process.h"
#include "cli_program.h"
#include "files.h"
#include "titleblock/field_map.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using subprocess::backupOf;
using subprocess::cli;
using subprocess::contains;
using subprocess::kCli;
using subprocess::kFixtures;
using subprocess::kPython;
using testing_support::Ending;
using testing_support::linesOf;
using testing_support::readBytes;
using testing_support::runProgram;
using testing_support::TempFolder;
using testing_support::writeBytes;

const fs::path kMakeFixtures = kFixtures / "make_fixtures.py";

struct Fixture {
    const char* file;
    const char* version;  // the first part of every value in it
};

const Fixture kFixtureFiles[] = {
    {"titleblock_r12.dxf", "R12"},
    {"titleblock_r2000_gbk.dxf", "R2000"},
    {"titleblock_r2000_gbk_binary.dxf", "R2000"},
    {"titleblock_r2004.dxf", "R2004"},
    {"titleblock_r2010.dxf", "R2010"},
    {"titleblock_r2018.dxf", "R2018"},
};

std::string u8(std::u16string_view s) { return base::utf16ToUtf8(s); }

// The tags in field-number order, as `read` prints them.
std::vector<std::string> tagsInFieldOrder() {
    std::vector<std::string> tags;
    for (const int field : titleblock::fieldsInOrder()) {
        tags.push_back(u8(titleblock::tagForField(field)));
    }
    return tags;
}

// What `read` prints for a fixture: the title block's values, but the two tags that the later
// part-info insert repeats come from it.
std::string fixtureValues(const std::string& version) {
    std::string lines;
    for (const auto& tag : tagsInFieldOrder()) {
        const bool repeated = tag == "零件名称" || tag == "零件代号";
        lines += tag + '\t' + version + '/' + tag + '/' + (repeated ? "乙" : "甲") + '\n';
    }
    return lines;
}

// Replaces the value of `tag` in a tag-TAB-value text.
std::string withValue(const std::string& values, const std::string& tag, const std::string& value) {
    std::istringstream in(values);
    std::string line;
    std::string out;
    while (std::getline(in, line)) {
        out += line.starts_with(tag + '\t') ? tag + '\t' + value : line;
        out += '\n';
    }
    return out;
}

// Copies every fixture into `folder` under a name with a space and Chinese in it.
std::vector<fs::path> copyFixtures(const fs::path& folder) {
    fs::create_directories(folder);
    std::vector<fs::path> copies;
    for (const auto& f : kFixtureFiles) {
        copies.push_back(folder / (std::string("零件 ") + f.file));
        fs::copy_file(kFixtures / f.file, copies.back());
    }
    return copies;
}

TEST(CliRead, PrintsTheTitleBlockOfEveryFixture) {
    for (const auto& f : kFixtureFiles) {
        SCOPED_TRACE(f.file);
        const Ending read = cli({"read", (kFixtures / f.file).string()});
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(read.out, fixtureValues(f.version));
        EXPECT_EQ(read.err, "");
    }
}

TEST(CliRead, ReadsAModelSpaceOf40000EntitiesToItsEnd) {
    const TempFolder folder;
    const fs::path large = folder.path() / "large.dxf";
    const Ending made = runProgram(kPython, {kMakeFixtures.string(), "--large", large.string()});
    ASSERT_EQ(made.status, 0) << made.err;

    const Ending read = cli({"read", large.string()});

    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, fixtureValues("R2018"));
}

TEST(CliRoundTrip, ReadEditApplyWritesTheEditedValuesIntoEveryFixture) {
    // Tab, newline, backslash and carriage return in one value, escaped.
    const std::string edited = "齿轮\\t轴\\n2 \\\\A\\r";
    const TempFolder folder;
    const std::vector<fs::path> drawings = copyFixtures(folder.path() / "图纸 目录");
    const Ending template_ = cli({"read", (kFixtures / "titleblock_r2018.dxf").string()});
    ASSERT_EQ(template_.status, 0) << template_.err;
    // 签名3 emptied, so its attributes keep their values.
    std::string values = withValue(template_.out, "零件名称", edited);
    values = withValue(values, "签名3", "");
    const fs::path valuesFile = folder.path() / "值 values.tsv";
    writeBytes(valuesFile, values);

    std::vector<std::string> args{"apply", valuesFile.string()};
    for (const auto& d : drawings) args.push_back(d.string());
    const Ending applied = cli(args);

    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(applied.out, "");
    const std::vector<std::string> report = linesOf(applied.err);
    ASSERT_EQ(report.size(), drawings.size() + 1) << applied.err;
    for (std::size_t i = 0; i < drawings.size(); ++i) {
        EXPECT_TRUE(report[i].starts_with("[" + std::to_string(i + 1) + "/6] " +
                                          drawings[i].string() + " 已保存 saved（更改 "))
            << report[i];
    }
    EXPECT_TRUE(report.back().starts_with("共 6 个图形：已保存 6，未改变 0，无标题栏 0，失败 0。"))
        << report.back();

    for (std::size_t i = 0; i < drawings.size(); ++i) {
        const std::string version = kFixtureFiles[i].version;
        SCOPED_TRACE(kFixtureFiles[i].file);
        const Ending reread = cli({"read", drawings[i].string()});
        EXPECT_EQ(reread.out, withValue(values, "签名3", version + "/签名3/甲"));

        // ezdxf sees the same, and nothing outside model-space block references changed.
        std::map<std::string, int> seen;
        for (const auto& line : testing_support::ezdxfAttributeLines(drawings[i])) {
            for (const std::string& wanted :
                 {"model\t3\tINSERT\t零件名称\t" + edited, "model\t5\tINSERT\t零件名称\t" + edited,
                  "model\t3\tINSERT\t签名3\t" + version + "/签名3/甲"}) {
                if (line == wanted) ++seen[wanted];
            }
            for (const char* untouched : {"/图纸", "/阵列", "/材料/乙"}) {
                if (line.find(untouched) != std::string::npos) ++seen[untouched];
            }
        }
        EXPECT_EQ(seen, (std::map<std::string, int>{
                            {"model\t3\tINSERT\t零件名称\t" + edited, 1},
                            {"model\t5\tINSERT\t零件名称\t" + edited, 1},
                            {"model\t3\tINSERT\t签名3\t" + version + "/签名3/甲", 1},
                            {"/图纸", 29},
                            {"/阵列", 3},
                            {"/材料/乙", 1},
                        }));
    }
}

TEST(CliApply, AnEmptyValuesFileLeavesEveryDrawingAsItWas) {
    const TempFolder folder;
    const std::vector<fs::path> drawings = copyFixtures(folder.path());
    const fs::path valuesFile = folder.path() / "empty.tsv";
    writeBytes(valuesFile, "");

    std::vector<std::string> args{"apply", valuesFile.string()};
    for (const auto& d : drawings) args.push_back(d.string());
    const Ending applied = cli(args);

    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_TRUE(contains(applied.err, "共 6 个图形：已保存 0，未改变 6，")) << applied.err;
    for (std::size_t i = 0; i < drawings.size(); ++i) {
        SCOPED_TRACE(kFixtureFiles[i].file);
        EXPECT_EQ(readBytes(drawings[i]), readBytes(kFixtures / kFixtureFiles[i].file));
        // Nothing to write, so the backup of an earlier save would survive too.
        EXPECT_FALSE(fs::exists(backupOf(drawings[i])));
    }
}

TEST(CliExitCodes, AreZeroOneOrTwo) {
    const TempFolder folder;
    const fs::path drawing = folder.path() / "图 1.dxf";
    fs::copy_file(kFixtures / "titleblock_r2018.dxf", drawing);
    const std::string original = readBytes(drawing);
    const std::string d = drawing.string();
    const std::string missing = (folder.path() / "无 此.dxf").string();
    const std::string good = "零件名称\t新\n";

    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int status;
    } cases[] = {
        {"help", {"--help"}, "", 0},
        {"version", {"--version"}, "", 0},
        {"no command", {}, "", 2},
        {"unknown command", {"write", d}, "", 2},
        {"unknown option", {"--frob"}, "", 2},
        {"help before an operand", {"--help", d}, "", 0},
        {"help of a command, not a drawing named --help", {"read", "--help"}, "", 0},
        {"-- ends the options", {"read", "--", "--help"}, "", 1},
        {"a folder without -r", {"apply", "-", folder.path().string()}, good, 2},
        {"an unknown encoding", {"import", "--encoding", "latin9", missing}, "", 2},
        {"read without a drawing", {"read"}, "", 2},
        {"read with two drawings", {"read", d, d}, "", 2},
        {"inspect without a drawing", {"inspect"}, "", 2},
        {"apply without drawings", {"apply", "-"}, good, 2},
        {"apply with a missing values file", {"apply", missing, d}, "", 2},
        {"apply with an unknown tag", {"apply", "-", d}, good + "材料\t钢\n", 2},
        {"apply with a malformed line", {"apply", "-", d}, good + "零件代号 X\n", 2},
        {"read a missing drawing", {"read", missing}, "", 1},
        {"inspect a missing drawing", {"inspect", missing}, "", 1},
        {"apply to a missing drawing", {"apply", "-", missing}, good, 1},
        {"read a folder", {"read", folder.path().string()}, "", 1},
        {"read an empty name", {"read", ""}, "", 1},
        {"inspect an empty name", {"inspect", ""}, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ending run = cli(c.args, c.input);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.status == 0) {
            EXPECT_FALSE(run.out.empty());
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_TRUE(contains(run.err, "错误 0x8")) << run.err;
        }
        EXPECT_EQ(readBytes(drawing), original);
        EXPECT_FALSE(fs::exists(backupOf(drawing)));
    }
}

TEST(CliVersion, IsTheProjectsVersion) {
    const Ending run = cli({"--version"});
    EXPECT_EQ(run.out, std::string("zandrel-cli ") + base::kVersion + "\n");
}

// Every help text, word for word: a refactoring of the options must not change what users read.
TEST(CliHelp, IsTheProgramsAndEachCommandsOwnText) {
    const fs::path texts = ZANDREL_HELP_TEXTS;
    const struct {
        std::vector<std::string> args;
        const char* text;
    } cases[] = {
        {{"--help"}, "zandrel-cli.txt"},    {{"-h"}, "zandrel-cli.txt"},
        {{"read", "--help"}, "read.txt"},   {{"inspect", "-h"}, "inspect.txt"},
        {{"apply", "--help"}, "apply.txt"}, {{"export", "--help"}, "export.txt"},
        {{"import", "-h"}, "import.txt"},   {{"restore", "--help"}, "restore.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Ending run = cli(c.args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, readBytes(texts / c.text));
        EXPECT_EQ(run.err, "");
    }
}

TEST(CliInspect, ListsModelSpaceOnlyWithTheAttributesOfBlockReferences) {
    const Ending inspected = cli({"inspect", (kFixtures / "titleblock_r2018.dxf").string()});
    ASSERT_EQ(inspected.status, 0) << inspected.err;

    std::vector<std::string> expected{"代码页 code page: UTF-8", "0\tAcDbLine", "1\tAcDbCircle",
                                      "2\tAcDbBlockReference", "3\tAcDbBlockReference"};
    for (const auto& row : titleblock::kFieldMap) {
        expected.push_back("  " + u8(row.tag) + "\tR2018/" + u8(row.tag) + "/甲");
    }
    expected.insert(expected.end(),
                    {"4\tAcDbText", "5\tAcDbBlockReference", "  零件名称\tR2018/零件名称/乙",
                     "  零件代号\tR2018/零件代号/乙", "  材料\tR2018/材料/乙",
                     "6\tAcDbMInsertBlock", "7\tAcDbBlockReference", "  空格\t ", "  空\t",
                     "  脱字符\t50^50\\tx", "  度\t90°", "  多行\t第一行", "8\tAcDbPolyline"});
    EXPECT_EQ(linesOf(inspected.out), expected);
}

// One command on one drawing, a copy of a fixture or a drawing written for the case (D stands for
// it): what it prints and what ezdxf sees afterwards. A title block in paper space is found only in
// layouts (the layouts fixture, where tab order puts 前 before 后), or in both spaces (every other
// fixture's Layout1). inspect names the code page, and whether it was guessed.
TEST(CliDrawing, EachCommandSaysWhatItFoundAndWritesWhereAsked) {
    const std::string entities = "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n";
    const auto header = [](const std::string& codePage) {
        return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$DWGCODEPAGE\n  3\n" +
               codePage + "\n  0\nENDSEC\n";
    };
    const std::string guessed =
        "代码页 code page: ANSI_1252（推测：图形未指明或无法识别代码页 guessed）\n";
    const struct {
        const char* name;
        const char* fixture;  // nullptr: the drawing is `content`
        std::vector<std::string> args;
        int status;
        std::vector<std::string> out;    // each in standard output
        std::vector<std::string> err;    // each in standard error; none when empty
        std::vector<std::string> ezdxf;  // each a line ezdxf prints of the drawing afterwards
        std::string input = "";
        std::string content = "";
    } cases[] = {
        {"read without: no title block",
         "titleblock_layouts.dxf",
         {"read", "D"},
         3,
         {},
         {"无标题栏"},
         {}},
        {"read: the first layout's value first",
         "titleblock_layouts.dxf",
         {"read", "--layouts", "D"},
         0,
         {"零件名称\t布局/零件名称/前\n", "产品代号\t布局/产品代号/后\n"},
         {},
         {}},
        {"export: the first value, and a warning",
         "titleblock_layouts.dxf",
         {"export", "--layouts", "D"},
         0,
         {",布局/产品代号/后,布局/零件名称/前,布局/零件代号/前,"},
         {"警告 warning: ", "错误 0x80040205 ", "（零件名称、零件代号）"},
         {}},
        {"export of both spaces: model space first",
         "titleblock_r2018.dxf",
         {"export", "--layouts", "D"},
         0,
         {",R2018/产品代号/甲,R2018/零件名称/甲,"},
         {"0x80040205"},
         {}},
        {"export without: as before, no warning",
         "titleblock_r2018.dxf",
         {"export", "D"},
         0,
         {",R2018/产品代号/甲,R2018/零件名称/乙,"},
         {},
         {}},
        {"inspect: each layout under its number",
         "titleblock_layouts.dxf",
         {"inspect", "--layouts", "D"},
         0,
         {"\n0\tAcDbLine\n布局 layout 1\n0\tAcDbCircle\n1\tAcDbBlockReference\n  零件名称\t布局/"
          "零件名称/前\n",
          "布局 layout 2\n0\tAcDbBlockReference\n  产品代号\t"},
         {},
         {}},
        {"apply without: nothing written",
         "titleblock_layouts.dxf",
         {"apply", "-", "D"},
         3,
         {},
         {"无标题栏"},
         {"paper:前\t1\tINSERT\t零件名称\t布局/零件名称/前"},
         "零件名称\t新\n"},
        {"apply: every layout written",
         "titleblock_layouts.dxf",
         {"apply", "--layouts", "-", "D"},
         0,
         {},
         {"已保存 saved（更改 2"},
         {"paper:前\t1\tINSERT\t零件名称\t新", "paper:后\t0\tINSERT\t零件名称\t新",
          "paper:后\t0\tINSERT\t产品代号\t布局/产品代号/后"},
         "零件名称\t新\n"},
        {"import: every layout written",
         "titleblock_layouts.dxf",
         {"import", "--layouts", "-"},
         0,
         {},
         {"已保存 saved（更改 2"},
         {"paper:前\t1\tINSERT\t零件代号\tX-1", "paper:后\t0\tINSERT\t零件代号\tX-1"},
         "图形,零件代号\nD,X-1\n"},
        {"code page: GBK",
         "titleblock_r2000_gbk.dxf",
         {"inspect", "D"},
         0,
         {"代码页 code page: ANSI_936\n"},
         {},
         {}},
        {"code page: Western",
         "titleblock_r2004.dxf",
         {"inspect", "D"},
         0,
         {"代码页 code page: ANSI_1252\n"},
         {},
         {}},
        {"code page: UTF-8",
         "titleblock_r2010.dxf",
         {"inspect", "D"},
         0,
         {"代码页 code page: UTF-8\n"},
         {},
         {}},
        {"code page named by an alias",
         nullptr,
         {"inspect", "D"},
         0,
         {"代码页 code page: ANSI_936\n"},
         {},
         {},
         "",
         header("gbk") + entities},
        {"an unknown code page, guessed",
         nullptr,
         {"inspect", "D"},
         0,
         {guessed},
         {},
         {},
         "",
         header("ANSI_99999") + entities},
        {"no code page, guessed", nullptr, {"inspect", "D"}, 0, {guessed}, {}, {}, "", entities},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        const fs::path drawing = folder.path() / "图 l.dxf";
        if (c.fixture) {
            fs::copy_file(kFixtures / c.fixture, drawing);
        } else {
            writeBytes(drawing, c.content);
        }
        std::vector<std::string> args;
        for (const auto& arg : c.args) args.push_back(arg == "D" ? drawing.string() : arg);
        std::string input = c.input;
        if (const auto row = input.find("\nD,"); row != std::string::npos)
            input.replace(row + 1, 1, drawing.string());
        const Ending run = cli(args, input);
        EXPECT_EQ(run.status, c.status) << run.err;
        for (const auto& part : c.out) EXPECT_TRUE(contains(run.out, part)) << run.out;
        for (const auto& part : c.err) EXPECT_TRUE(contains(run.err, part)) << run.err;
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
        }
        if (c.ezdxf.empty()) continue;
        const std::vector<std::string> seen = testing_support::ezdxfAttributeLines(drawing);
        for (const auto& line : c.ezdxf) {
            EXPECT_NE(std::find(seen.begin(), seen.end(), line), seen.end()) << line;
        }
    }
}

}  // namespace
}  // namespace cli
