// The batch commands as a user runs them: what each drawing's line says, the exit status, what a
// dry run leaves alone, tables through a spreadsheet and back, restore, folders, control
// characters. Drawings are copies of the fixtures, checked with the program itself and ezdxf.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "child_process.h"
#include "cli_program.h"
#include "files.h"
#include "folder_snapshot.h"

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

const fs::path kTemplate = kFixtures / "titleblock_r2018.dxf";

fs::path copyOf(const fs::path& source, const fs::path& target) {
    fs::create_directories(target.parent_path());
    fs::copy_file(source, target);
    return target;
}

// `text` as spreadsheets save "Unicode text": UTF-16 with a byte-order mark.
std::string utf16(const std::string& text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : base::utf8ToUtf16(text)) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A drawing whose block references carry none of the 29 tags: each tag line gets a prefix.
fs::path withoutTitleBlock(const fs::path& target) {
    std::istringstream in(readBytes(kTemplate));
    std::string out;
    const std::string tags =
        "|产品代号|零件名称|零件代号|版本号1|版本号2|版本号3|版本号4|版本号5|更改通知号1|更改通知号"
        "2|更改通知号3|更改通知号4|更改通知号5|签名1|签名2|签名3|签名4|签名5|日期1|日期2|日期3|日期"
        "4|日期5|编制签字|编制时间|校对签字|校对时间|审核签字|审核时间|";
    for (std::string line; std::getline(in, line);) {
        const std::string bare = line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
        out += (contains(tags, '|' + bare + '|') ? "旧" : "") + line + '\n';
    }
    fs::create_directories(target.parent_path());
    writeBytes(target, out);
    return target;
}

// The value of `tag` in each model-space attribute that carries it, in what ezdxf read.
std::vector<std::string> modelSpaceValues(const std::vector<std::string>& attributes,
                                          const std::string& tag) {
    std::vector<std::string> values;
    for (const auto& line : attributes) {
        const std::string key = "\tINSERT\t" + tag + '\t';
        if (line.starts_with("model\t") && contains(line, key)) {
            values.push_back(line.substr(line.find(key) + key.size()));
        }
    }
    return values;
}

std::string readValue(const fs::path& drawing, const std::string& tag) {
    for (const auto& line : linesOf(cli({"read", drawing.string()}).out)) {
        if (line.starts_with(tag + '\t')) return line.substr(tag.size() + 1);
    }
    return "(missing)";
}

struct Stamp {
    std::string bytes;
    struct timespec mtime;
    bool operator==(const Stamp& o) const {
        return bytes == o.bytes && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

Stamp stampOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return {readBytes(file), st.st_mtim};
}

TEST(CliReport, SaysWhatHappenedToEachDrawingAndExitsAccordingly) {
    const TempFolder folder;
    const std::string good = copyOf(kTemplate, folder.path() / "好 图.dxf").string();
    const std::string same = copyOf(kTemplate, folder.path() / "同 图.dxf").string();
    const std::string none = withoutTitleBlock(folder.path() / "无 标题栏.dxf").string();
    const std::string missing = (folder.path() / "缺 图.dxf").string();
    const std::string linked = copyOf(kTemplate, folder.path() / "链 图.dxf").string();
    const std::string link = (folder.path() / "链接.dxf").string();
    fs::create_symlink(linked, link);
    // 产品代号 is what `same` holds already; 零件名称 is new only to the first it reaches.
    const fs::path values = folder.path() / "值.tsv";
    writeBytes(values, "产品代号\tR2018/产品代号/甲\n");
    const fs::path changing = folder.path() / "改.tsv";
    writeBytes(changing, "零件名称\t新\n");

    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::vector<std::string> says;  // each line of standard error holds the matching part
    } cases[] = {
        {"unchanged",
         {"apply", values.string(), same},
         0,
         {"[1/1] " + same + " 未改变 unchanged", "已保存 0，未改变 1，无标题栏 0，失败 0。"}},
        {"saved",
         {"apply", changing.string(), good},
         0,
         {"[1/1] " + good + " 已保存 saved（更改 2 个属性，29 个不变 changed 2, unchanged 29）",
          "已保存 1，"}},
        {"no title block",
         {"apply", changing.string(), good, none},
         3,
         {"[1/2] " + good + " 未改变 unchanged", "[2/2] " + none + " 无标题栏 no title block",
          "无标题栏 1，失败 0。"}},
        // Nothing on standard output, so that piping it into apply cannot blank every attribute.
        {"read without a title block", {"read", none}, 3, {"无标题栏 no title block: " + none}},
        {"one at a time, stops at a failure",
         {"apply", "-j", "1", changing.string(), missing, none},
         1,
         {"[1/2] " + missing + " 失败 failed: 错误 0x80070002 (-2147024894): ",
          "失败 1，未打开 1。"}},
        // Saved once, by one worker: the other finds the file done with.
        {"one drawing listed again through a link, four at once",
         {"apply", "-j", "4", changing.string(), linked, link},
         0,
         {"[1/2] " + linked + " 已保存 saved", "[2/2] " + link + " 未改变 unchanged",
          "已保存 1，未改变 1，"}},
        {"keeps going and lists the failures",
         {"apply", "-k", changing.string(), missing, none, missing + "2"},
         1,
         {"[1/3] " + missing + " 失败 failed", "[2/3] " + none + " 无标题栏",
          "[3/3] " + missing + "2 失败 failed", "失败的图形 Failed drawings:",
          "  [1/3] " + missing + " 失败", "  [3/3] " + missing + "2 失败", "无标题栏 1，失败 2。"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ending run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, "");
        const std::vector<std::string> said = linesOf(run.err);
        ASSERT_EQ(said.size(), c.says.size()) << run.err;
        for (std::size_t i = 0; i < said.size(); ++i)
            EXPECT_TRUE(contains(said[i], c.says[i])) << said[i];
    }
    EXPECT_FALSE(fs::exists(backupOf(same)));
    EXPECT_FALSE(fs::exists(backupOf(none)));
    EXPECT_EQ(readBytes(backupOf(linked)), readBytes(kTemplate)) << "a second save keeps the first";
    EXPECT_EQ(readBytes(none), readBytes(withoutTitleBlock(folder.path() / "again" / "n.dxf")));
}

TEST(CliDryRun, ListsEveryChangeAndWritesNothing) {
    const TempFolder folder;
    const fs::path a = copyOf(kTemplate, folder.path() / "甲 图.dxf");
    const fs::path b = copyOf(kFixtures / "titleblock_r12.dxf", folder.path() / "乙 图.dxf");
    writeBytes(folder.path() / "表.csv", "图形,签名1\r\n甲 图.dxf,\"张\t三\"\r\n");
    const Stamp beforeA = stampOf(a);
    const Stamp beforeB = stampOf(b);

    const Ending applied =
        cli({"apply", "-n", "-", a.string(), b.string()}, "零件名称\t齿\\x1B轮\n签名3\t\n");
    const Ending imported = cli({"import", "--dry-run", (folder.path() / "表.csv").string()});

    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(linesOf(applied.out), (std::vector<std::string>{
                                        a.string() + "\t零件名称\tR2018/零件名称/甲\t齿\\x1B轮",
                                        a.string() + "\t零件名称\tR2018/零件名称/乙\t齿\\x1B轮",
                                        b.string() + "\t零件名称\tR12/零件名称/甲\t齿\\x1B轮",
                                        b.string() + "\t零件名称\tR12/零件名称/乙\t齿\\x1B轮",
                                    }));
    EXPECT_TRUE(contains(applied.err, "将保存 would save")) << applied.err;
    EXPECT_TRUE(contains(applied.err, "将保存 2，")) << applied.err;
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, a.string() + "\t签名1\tR2018/签名1/甲\t张\\t三\n");
    EXPECT_TRUE(stampOf(a) == beforeA);
    EXPECT_TRUE(stampOf(b) == beforeB);
    EXPECT_FALSE(fs::exists(backupOf(a)));
    EXPECT_FALSE(fs::exists(backupOf(b)));
}

// A drawing the user could not save is no "would save" in a dry run: it fails there as it fails
// in the real run, with the same number, and nothing is written either way.
TEST(CliDryRun, SaysWhatTheRealRunSaysOfADrawingItsUserCannotSave) {
    const TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    const struct {
        const char* name;
        fs::perms folder;
        fs::perms drawing;
    } cases[] = {
        {"a folder where the user may add no name", fs::perms::all & ~fs::perms::others_write,
         fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
             ~fs::perms::others_exec},
        {"a drawing the user may not write", fs::perms::all,
         fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path place = folder.path() / c.name;
        fs::create_directory(place);
        const fs::path drawing = copyOf(kTemplate, place / "d.dxf");
        fs::permissions(drawing, c.drawing);
        fs::permissions(place, c.folder);
        const auto applyAsNobody = [&](std::vector<std::string> options) {
            std::vector<std::string> args{"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                          kCli.string(), "apply"};
            args.insert(args.end(), options.begin(), options.end());
            args.insert(args.end(), {"-", drawing.string()});
            return runProgram("/usr/bin/setpriv", args, {"零件名称\t新\n"});
        };
        const Ending dry = applyAsNobody({"-n"});
        const Ending real = applyAsNobody({});
        EXPECT_EQ(dry.status, 1) << dry.err;
        EXPECT_EQ(real.status, 1) << real.err;
        EXPECT_FALSE(contains(dry.err, "would save")) << dry.err;
        for (const Ending* run : {&dry, &real}) {
            EXPECT_TRUE(contains(run->err, "错误 0x80070005")) << run->err;
        }
        EXPECT_EQ(readBytes(drawing), readBytes(kTemplate));
        EXPECT_FALSE(fs::exists(backupOf(drawing)));
    }
}

TEST(CliTable, ExportSpreadsheetImportRoundTripOverAFolderTree) {
    const TempFolder folder;
    const fs::path root = folder.path() / "产品 图纸";
    const std::vector<fs::path> drawings{
        copyOf(kTemplate, root / "轴 组件" / "轴 1.dxf"),
        copyOf(kFixtures / "titleblock_r2000_gbk.dxf", root / "轴 组件" / "轴 2.DXF"),
        copyOf(kFixtures / "titleblock_r12.dxf", root / "齿轮.dxf"),
    };
    const fs::path table = root / "标题栏 表.csv";

    const Ending exported = cli({"export", "-r", "-o", table.string(), root.string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string csv = readBytes(table);
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF图形,产品代号,零件名称,零件代号,版本号5,")) << csv;
    // Relative to the table's folder, in sorted path order, CRLF line ends.
    EXPECT_TRUE(contains(csv, "\r\n轴 组件/轴 1.dxf,R2018/产品代号/甲,R2018/零件名称/乙,"));
    EXPECT_LT(csv.find("轴 组件/轴 1.dxf"), csv.find("轴 组件/轴 2.DXF"));
    EXPECT_LT(csv.find("轴 组件/轴 2.DXF"), csv.find("齿轮.dxf"));

    // Each part gets its own name; the part code column is emptied, so it stays as it is. Saved
    // as a spreadsheet on Chinese Windows would: GBK, semicolons, everything quoted.
    const char* edit =
        "import csv, sys\n"
        "rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')))\n"
        "name, code = rows[0].index('零件名称'), rows[0].index('零件代号')\n"
        "for n, row in enumerate(rows[1:]):\n"
        "    row[name], row[code] = f'件 \"{n}\", 第{n}号', ''\n"
        "with open(sys.argv[1], 'w', encoding='gbk', newline='') as f:\n"
        "    csv.writer(f, delimiter=';', quoting=csv.QUOTE_ALL).writerows(rows)\n";
    const Ending edited = runProgram(kPython, {"-c", edit, table.string()});
    ASSERT_EQ(edited.status, 0) << edited.err;

    const Ending imported = cli({"import", table.string()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_TRUE(contains(imported.err, "已保存 3，")) << imported.err;
    const std::string versions[] = {"R2018", "R2000", "R12"};
    for (std::size_t i = 0; i < drawings.size(); ++i) {
        SCOPED_TRACE(drawings[i].string());
        const std::string name = "件 \"" + std::to_string(i) + "\", 第" + std::to_string(i) + "号";
        const auto seen = testing_support::ezdxfAttributeLines(drawings[i]);
        EXPECT_EQ(modelSpaceValues(seen, "零件名称"), (std::vector<std::string>{name, name}));
        EXPECT_EQ(
            modelSpaceValues(seen, "零件代号"),
            (std::vector<std::string>{versions[i] + "/零件代号/甲", versions[i] + "/零件代号/乙"}));
    }
}

TEST(CliExport, StopsAtAnUnreadableDrawingAndWritesNoTableUnlessKeepGoing) {
    const TempFolder folder;
    const std::string first = copyOf(kTemplate, folder.path() / "a.dxf").string();
    const fs::path unreadable = folder.path() / "b 坏.dxf";
    writeBytes(unreadable, "0\nSECTION\n2\nENTITIES\n0\nINSERT\n");
    const std::string last = copyOf(kTemplate, folder.path() / "c.dxf").string();
    const fs::path table = folder.path() / "t.csv";
    const struct {
        const char* name;
        std::vector<std::string> options;
        std::vector<std::string> rows;  // the table's lines after its header; none: no table
    } cases[] = {
        {"to a file", {"-o", table.string()}, {}},
        {"to standard output", {}, {}},
        {"keep going: the rows it could read", {"-k", "-o", table.string()}, {"a.dxf,", "c.dxf,"}},
        {"keep going to standard output", {"-k"}, {first + ",", last + ","}},
        {"keep going, one at a time", {"-k", "-j", "1"}, {first + ",", last + ","}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"export"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {first, unreadable.string(), last});
        const Ending exported = cli(args);
        EXPECT_EQ(exported.status, 1) << exported.err;
        // The failure alone: export tells no drawing it read.
        EXPECT_TRUE(exported.err.starts_with("失败 failed: " + unreadable.string() + ": 错误 0x"))
            << exported.err;
        EXPECT_EQ(linesOf(exported.err).size(), 1u) << exported.err;
        const bool toFile = fs::exists(table);
        if (toFile) {
            EXPECT_EQ(exported.out, "");
        }
        const std::string written = toFile ? readBytes(table) : exported.out;
        if (c.rows.empty()) {
            EXPECT_EQ(written, "");
            continue;
        }
        const std::vector<std::string> lines = linesOf(written);
        ASSERT_EQ(lines.size(), c.rows.size() + 1) << written;
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_TRUE(lines[i + 1].starts_with(c.rows[i])) << lines[i + 1];
        fs::remove(table);
    }
}

TEST(CliTable, ImportsTablesAsSpreadsheetsSaveThem) {
    const std::string header = "图形,零件名称,签名1";
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> options;
        std::string partName;  // as `read` prints it
        std::string signature;
    } cases[] = {
        {"UTF-8 with mark, CRLF", "\xEF\xBB\xBF" + header + "\r\nd.dxf,轴,张\r\n", {}, "轴", "张"},
        {"UTF-8 without mark, LF", header + "\nd.dxf,轴,\n", {}, "轴", "R2018/签名1/甲"},
        {"GBK",
         "\xCD\xBC\xD0\xCE,\xC1\xE3\xBC\xFE\xC3\xFB\xB3\xC6\r\nd.dxf,\xD6\xE1\r\n",
         {},
         "轴",
         "R2018/签名1/甲"},
        {"semicolon, quoted cell with a comma, quotes and a line end",
         "图形;零件名称\r\nd.dxf;\"齿轮 \"\"A\"\" 型, 第一行\r\n第二行\"\r\n",
         {},
         "齿轮 \"A\" 型, 第一行\\r\\n第二行",
         "R2018/签名1/甲"},
        {"tab, columns reordered and left out",
         "签名1\t图形\n李\td.dxf\n",
         {},
         "R2018/零件名称/乙",
         "李"},
        {"one space is a value", header + "\nd.dxf, ,\n", {}, " ", "R2018/签名1/甲"},
        {"encoding given",
         "\xCD\xBC\xD0\xCE,\xC1\xE3\xBC\xFE\xC3\xFB\xB3\xC6\nd.dxf,\xD6\xE1\n",
         {"--encoding", "gbk"},
         "轴",
         "R2018/签名1/甲"},
        {"Unicode text: UTF-16 LE with mark, tab-separated",
         utf16("图形\t零件名称\t签名1\r\nd.dxf\t轴\t张\r\n"),
         {},
         "轴",
         "张"},
        {"UTF-16 BE with mark", utf16(header + "\nd.dxf,轴,\n", true), {}, "轴", "R2018/签名1/甲"},
        {"UTF-16 given",
         utf16(header + "\nd.dxf,轴,\n"),
         {"--encoding", "utf-16"},
         "轴",
         "R2018/签名1/甲"},
        {"code page 936 with the euro sign",
         "\xCD\xBC\xD0\xCE,\xC1\xE3\xBC\xFE\xC3\xFB\xB3\xC6\r\nd.dxf,\x80\xD6\xE1\r\n",
         {},
         "€轴",
         "R2018/签名1/甲"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
        writeBytes(folder.path() / "t.csv", c.bytes);
        std::vector<std::string> args{"import"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back((folder.path() / "t.csv").string());
        const Ending imported = cli(args);
        EXPECT_EQ(imported.status, 0) << imported.err;
        EXPECT_EQ(readValue(drawing, "零件名称"), c.partName);
        EXPECT_EQ(readValue(drawing, "签名1"), c.signature);
    }
}

TEST(CliTable, RefusesARowWhoseNumbersASpreadsheetReformatted) {
    const TempFolder folder;
    const fs::path mangled = copyOf(kTemplate, folder.path() / "d.dxf");
    const fs::path edited = copyOf(kTemplate, folder.path() / "e.dxf");
    ASSERT_EQ(cli({"apply", "-", mangled.string()}, "零件代号\t007\n产品代号\t0.10\n").status, 0);
    const std::string before = readBytes(mangled);
    // d.dxf comes back as a spreadsheet shows it; e.dxf was edited by hand.
    const fs::path table = folder.path() / "t.csv";
    writeBytes(table, "图形,零件代号,产品代号,零件名称\nd.dxf,7,0.1,新\ne.dxf,8,,新\n");
    // apply's VALUES: the same values as a table, and in the read format, which no spreadsheet
    // has been through.
    writeBytes(folder.path() / "v.csv", "标记,值\n零件代号,7\n产品代号,0.1\n");
    writeBytes(folder.path() / "v.txt", "零件代号\t7\n产品代号\t0.1\n");
    const std::string refused =
        "d.dxf 失败 failed: 错误 0x80040204 (-2147220988): 产品代号：图形中是“0.10”，表格中是"
        "“0.1”。零件代号：图形中是“007”，表格中是“7”。表格程序改变了数字格式";
    const struct {
        const char* name;
        std::vector<std::string> options;
        int status;
        std::vector<std::string> says;  // each in standard error
        std::string partCode;           // of d.dxf afterwards
        bool editedSaved;
        const char* applied = nullptr;  // apply's VALUES, into d.dxf, instead of import
    } cases[] = {
        // One at a time, so that the batch stops before e.dxf.
        {"refused, and the batch stops",
         {"-j", "1"},
         1,
         {"[1/2] " + (folder.path() / refused).string(), "未打开 1"},
         "007",
         false},
        {"a dry run shows the same", {"-n", "-j", "1"}, 1, {refused, "未打开 1"}, "007", false},
        {"keep going: the other rows are written, the refused one listed",
         {"-k"},
         1,
         {"失败的图形 Failed drawings:", "  [1/2] " + (folder.path() / refused).string(),
          "[2/2] " + edited.string() + " 已保存"},
         "007",
         true},
        {"accepted when asked", {"--accept-numbers"}, 0, {"已保存 2，"}, "7", true},
        {"apply with a table refuses the same", {}, 1, {refused}, "007", false, "v.csv"},
        {"apply accepts them when asked",
         {"--accept-numbers"},
         0,
         {"已保存 1，"},
         "7",
         false,
         "v.csv"},
        {"apply of the read format writes them", {}, 0, {"已保存 1，"}, "7", false, "v.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{c.applied ? "apply" : "import"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        if (c.applied) {
            args.insert(args.end(), {(folder.path() / c.applied).string(), mangled.string()});
        } else {
            args.push_back(table.string());
        }
        const Ending imported = cli(args);
        EXPECT_EQ(imported.status, c.status) << imported.err;
        EXPECT_EQ(imported.out, "") << "a refused row lists no change, in a dry run either";
        for (const auto& part : c.says) EXPECT_TRUE(contains(imported.err, part)) << imported.err;
        EXPECT_EQ(readValue(mangled, "零件代号"), c.partCode);
        if (c.partCode == "007") {
            EXPECT_EQ(readBytes(mangled), before);
        }
        EXPECT_EQ(readValue(edited, "零件代号"), c.editedSaved ? "8" : "R2018/零件代号/乙");
        fs::copy_file(kTemplate, edited, fs::copy_options::overwrite_existing);
        writeBytes(mangled, before);
    }
}

TEST(CliTable, RefusesABadTableBeforeOpeningAnything) {
    const TempFolder folder;
    const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
    const std::string original = readBytes(drawing);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"unknown column", "图形,材料\nd.dxf,钢\n"},
        {"repeated column", "图形,签名1,签名1\nd.dxf,张,李\n"},
        {"a drawing twice", "图形,签名1\nd.dxf,张\n./d.dxf,李\n"},
        {"unclosed quote", "图形,签名1\nd.dxf,\"张\n"},
        {"not UTF-8 as asked", "图形,签名1\nd.dxf,\xD5\xC5\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(folder.path() / "t.csv", c.bytes);
        const Ending imported =
            cli({"import", "--encoding", "utf-8", (folder.path() / "t.csv").string()});
        EXPECT_EQ(imported.status, 2) << imported.err;
        EXPECT_TRUE(imported.err.starts_with("错误 0x8007")) << imported.err;
        EXPECT_EQ(readBytes(drawing), original);
    }
    // Neither over a drawing nor as another program's workbook, which would be CSV under its
    // name; a workbook that is not one is refused as such, not as text in some encoding.
    const fs::path broken = folder.path() / "t.xlsx";
    writeBytes(broken, "PK\x03\x04");
    const fs::path foreign = folder.path() / "t.ods";
    writeBytes(foreign, "PK\x03\x04");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string says;
    } refused[] = {
        {"export over a drawing", {"export", "-o", drawing.string(), drawing.string()}, "图形"},
        {"export as another program's workbook",
         {"export", "-o", (folder.path() / "n.xls").string(), drawing.string()},
         "不能读写的工作簿（.xls）"},
        {"import another program's workbook", {"import", foreign.string()}, "不能读写的工作簿"},
        {"apply another program's workbook",
         {"apply", foreign.string(), drawing.string()},
         "不能读写的工作簿"},
        {"import a broken workbook", {"import", broken.string()}, "不是有效的 .xlsx 工作簿"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        const Ending run = cli(c.args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.err.starts_with("错误 0x80070057")) << run.err;
        EXPECT_TRUE(contains(run.err, c.says)) << run.err;
        EXPECT_EQ(readBytes(drawing), original);
    }
    EXPECT_FALSE(fs::exists(folder.path() / "n.xls"));
}

// Two drawings that would keep their previous versions under one name are refused in every run,
// not only when one batch lists both: restore would otherwise bring back the other's content.
TEST(CliApply, NeverSavesADrawingWhoseBackupNameAnotherDrawingBesideItShares) {
    const TempFolder folder;
    const fs::path lower = copyOf(kTemplate, folder.path() / "件.dxf");
    copyOf(kTemplate, folder.path() / "件.DXF");
    const auto before = testing_support::snapshotOf(folder.path());
    for (const char* name : {"件.dxf", "件.DXF"}) {
        const Ending refused =
            cli({"apply", "-", (folder.path() / name).string()}, "零件名称\t新\n");
        EXPECT_EQ(refused.status, 2) << refused.err;
        EXPECT_TRUE(contains(refused.err, "0x80040202")) << refused.err;
    }
    EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
    fs::remove(folder.path() / "件.DXF");
    EXPECT_EQ(cli({"apply", "-", lower.string()}, "零件名称\t新\n").status, 0);
}

// The drawing's name given to another file while its save is under way (a link to another user's
// file, or another program's save by rename): nothing is saved, that file stays as it is, and the
// run fails saying why.
TEST(CliApply, SavesNothingWhereTheDrawingsNameWentToAnotherFileMeanwhile) {
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link to another user's file" : "another program's save");
        const TempFolder folder;
        const TempFolder home;
        const fs::path drawing = copyOf(kTemplate, folder.path() / "m.dxf");
        const fs::path victim = home.path() / ".bashrc";
        writeBytes(victim, "# the victim's own\n");
        const fs::path pipe = home.path() / "pause";
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        testing_support::ChildProcess run(
            "/usr/bin/env",
            {"ZANDREL_PAUSE_PIPE=" + pipe.string(), subprocess::kCliPaused.string(), "apply", "-",
             drawing.string()},
            {.input = "零件名称\t新\n"});
        // The FIFO takes a writer once the program waits on it.
        int go = -1;
        for (int tries = 0; go < 0 && tries < 600; ++tries) {
            go = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (go < 0) ::usleep(50'000);
        }
        ASSERT_GE(go, 0) << "the program never stopped in its save";
        if (link) {
            fs::create_symlink(victim, folder.path() / "planted");
        } else {
            writeBytes(folder.path() / "planted", "the other program's version");
        }
        fs::rename(folder.path() / "planted", drawing);
        EXPECT_EQ(::write(go, "x", 1), 1);
        ::close(go);
        const Ending ended = run.wait(std::chrono::seconds(60));
        EXPECT_EQ(ended.status, 1) << ended.err;
        EXPECT_TRUE(contains(ended.err, "0x8004021A")) << ended.err;
        EXPECT_EQ(readBytes(victim), "# the victim's own\n");
        EXPECT_EQ(readBytes(drawing),
                  link ? "# the victim's own\n" : "the other program's version");
        EXPECT_EQ(home.names(), (std::vector<std::string>{".bashrc", "pause"}));
    }
}

// export -o replaces a table as a drawing is saved (a new file that takes its place and mode), and
// refuses a name that leads, through a link, to a drawing, a backup or no file at all.
TEST(CliExport, WritesOnlyATableAndReplacesItWhole) {
    const struct {
        const char* what;
        std::function<void(const fs::path& folder)> setUp;  // holds d.dxf, d.bak and t.csv
        int status;
        const char* number;  // in the refusal; none for a table written
    } cases[] = {
        {"an existing table", [](const fs::path&) {}, 0, nullptr},
        {"a link to a drawing", [](const fs::path& f) { fs::create_symlink("d.dxf", f / "l.csv"); },
         2, "0x80070057"},
        {"a link to a backup", [](const fs::path& f) { fs::create_symlink("d.bak", f / "l.csv"); },
         2, "0x80070057"},
        {"a FIFO", [](const fs::path& f) { ASSERT_EQ(::mkfifo((f / "l.csv").c_str(), 0600), 0); },
         2, "0x800700DE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder;
        const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
        writeBytes(folder.path() / "d.bak", "the backup");
        writeBytes(folder.path() / "t.csv", "the old table");
        fs::permissions(folder.path() / "t.csv", fs::perms(0640));
        c.setUp(folder.path());
        const fs::path table = folder.path() / (c.number ? "l.csv" : "t.csv");
        const auto before = testing_support::snapshotOf(folder.path());
        const Ending exported = cli({"export", "-o", table.string(), drawing.string()});
        EXPECT_EQ(exported.status, c.status) << exported.err;
        if (c.number) {
            EXPECT_TRUE(contains(exported.err, c.number)) << exported.err;
            EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
        } else {
            EXPECT_TRUE(readBytes(table).starts_with("\xEF\xBB\xBF图形,")) << readBytes(table);
            EXPECT_EQ(fs::status(table).permissions(), fs::perms(0640));
            EXPECT_EQ(folder.names(), (std::vector<std::string>{"d.bak", "d.dxf", "t.csv"}));
        }
    }
}

TEST(CliApply, ReadsAValuesTableFromASpreadsheet) {
    const TempFolder folder;
    const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
    writeBytes(folder.path() / "值.csv", "标记;值\r\n零件名称;\"齿轮 \"\"A\"\" 型\"\r\n签名1;\r\n");
    const Ending applied = cli({"apply", (folder.path() / "值.csv").string(), drawing.string()});
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(readValue(drawing, "零件名称"), "齿轮 \"A\" 型");
    EXPECT_EQ(readValue(drawing, "签名1"), "R2018/签名1/甲");

    // Big5 lacks the simplified characters of most tags, but a date row it can carry.
    writeBytes(folder.path() / "繁.csv",
               "\xA4\xE9\xB4\xC1"
               "1,\xA4\xA4\xB5\xD8\r\n");
    const Ending big5 =
        cli({"apply", "--encoding", "big5", (folder.path() / "繁.csv").string(), drawing.string()});
    EXPECT_EQ(big5.status, 0) << big5.err;
    EXPECT_EQ(readValue(drawing, "日期1"), "中華");
}

TEST(CliRestore, UndoesTheLastSaveAndASecondRestoreRedoesIt) {
    const TempFolder folder;
    const fs::path drawing = copyOf(kTemplate, folder.path() / "零件 1.dxf");
    const std::string original = readBytes(drawing);
    ASSERT_EQ(cli({"apply", "-", drawing.string()}, "零件名称\t新\n").status, 0);
    const std::string saved = readBytes(drawing);
    ASSERT_NE(saved, original);

    const Ending undone = cli({"restore", drawing.string()});
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(readBytes(drawing), original);
    EXPECT_EQ(readBytes(backupOf(drawing)), saved);
    const Ending redone = cli({"restore", drawing.string()});
    EXPECT_EQ(redone.status, 0) << redone.err;
    EXPECT_EQ(readBytes(drawing), saved);
    EXPECT_EQ(readBytes(backupOf(drawing)), original);

    const fs::path lone = copyOf(kTemplate, folder.path() / "无备份.dxf");
    const Ending refused = cli({"restore", lone.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(contains(refused.err, "失败 failed: 错误 0x80040218 (-2147220968): "))
        << refused.err;
    EXPECT_EQ(readBytes(lone), readBytes(kTemplate));

    // A folder: with -r each drawing below it trades with its backup, told in sorted order, and
    // one without a backup fails in its place; without -r, nothing happens.
    EXPECT_EQ(cli({"restore", folder.path().string()}).status, 2);
    const Ending all = cli({"restore", "-r", folder.path().string()});
    EXPECT_EQ(all.status, 1) << all.err;
    EXPECT_EQ(linesOf(all.err).size(), 2u) << all.err;
    EXPECT_TRUE(all.err.starts_with("[1/2] " + lone.string() + " 失败 failed: 错误 0x80040218"))
        << all.err;
    EXPECT_TRUE(contains(all.err, "\n[2/2] " + drawing.string() + " 已恢复 restored")) << all.err;
    EXPECT_EQ(readBytes(drawing), original);
}

// What restore refuses: a list that names one drawing twice (the second exchange would undo the
// first) before anything changes, and a backup that is a link or no drawing, which must not take
// the drawing's name.
TEST(CliRestore, RefusesADrawingNamedTwiceAndABackupThatIsNoDrawingOfItsOwn) {
    const struct {
        const char* what;
        std::function<void(const fs::path& drawing)> setUp;  // the drawing has a real backup
        std::vector<std::string> operands;                   // beside the drawing's folder
        int status;
        const char* number;
    } cases[] = {
        {"one drawing named twice",
         [](const fs::path&) {},
         {"零件.dxf", "零件.dxf"},
         2,
         "0x80040202"},
        {"a drawing and a link to it",
         [](const fs::path& d) { fs::create_symlink(d.filename(), d.parent_path() / "链接.dxf"); },
         {"零件.dxf", "链接.dxf"},
         2,
         "0x80040202"},
        {"a backup that is a link",
         [](const fs::path& d) {
             fs::remove(backupOf(d));
             fs::create_symlink(kTemplate, backupOf(d));
         },
         {"零件.dxf"},
         1,
         "0x80040210"},
        {"a backup that is no drawing",
         [](const fs::path& d) { writeBytes(backupOf(d), "echo 不是图形\n"); },
         {"零件.dxf"},
         1,
         "0x80040210"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder;
        const fs::path drawing = copyOf(kTemplate, folder.path() / "零件.dxf");
        ASSERT_EQ(cli({"apply", "-", drawing.string()}, "零件名称\t新\n").status, 0);
        c.setUp(drawing);
        const auto before = testing_support::snapshotOf(folder.path());
        std::vector<std::string> args{"restore"};
        for (const auto& operand : c.operands) args.push_back((folder.path() / operand).string());
        const Ending refused = cli(args);
        EXPECT_EQ(refused.status, c.status) << refused.err;
        EXPECT_TRUE(contains(refused.err, c.number)) << refused.err;
        EXPECT_EQ(testing_support::snapshotOf(folder.path()), before);
    }
}

TEST(CliFolders, RecursiveTakesEveryDxfBelowInSortedOrderWithoutFollowingLinks) {
    const TempFolder folder;
    const fs::path root = folder.path() / "图纸";
    copyOf(kTemplate, root / "b.dxf");
    copyOf(kTemplate, root / "A 件.DXF");
    copyOf(kTemplate, root / "子 目录" / "c.Dxf");
    copyOf(kTemplate, root / "子 目录" / "说明.txt");
    copyOf(kTemplate, folder.path() / "外面" / "linked.dxf");
    fs::create_directory_symlink(folder.path() / "外面", root / "链接");
    // A link to someone's private drawing, planted in the shared folder.
    fs::create_symlink(folder.path() / "外面" / "linked.dxf", root / "子 目录" / "私人.dxf");

    const Ending run = cli({"apply", "-n", "-r", "-", root.string()}, "");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> said = linesOf(run.err);
    ASSERT_EQ(said.size(), 4u) << run.err;
    EXPECT_TRUE(said[0].starts_with("[1/3] " + (root / "A 件.DXF").string() + " ")) << said[0];
    EXPECT_TRUE(said[1].starts_with("[2/3] " + (root / "b.dxf").string() + " ")) << said[1];
    EXPECT_TRUE(said[2].starts_with("[3/3] " + (root / "子 目录" / "c.Dxf").string() + " "))
        << said[2];

    const Ending withoutR = cli({"apply", "-", root.string()}, "");
    EXPECT_EQ(withoutR.status, 2);
    EXPECT_TRUE(contains(withoutR.err, "-r")) << withoutR.err;

    // A FIFO among the drawings is refused from its entry, never opened: nothing waits on it.
    ASSERT_EQ(::mkfifo((root / "管道.dxf").c_str(), 0600), 0);
    const Ending fifo = cli({"apply", "-r", "-", root.string()}, "");
    EXPECT_EQ(fifo.status, 2) << fifo.err;
    EXPECT_TRUE(contains(fifo.err, "0x800700DE")) << fifo.err;
    fs::remove(root / "管道.dxf");

    // A subfolder its user may not read stops the command, rather than drop its drawings.
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(root, fs::perms::all);
    fs::create_directory(root / "锁");
    fs::permissions(root / "锁", fs::perms::none);
    const Ending locked =
        runProgram("/usr/bin/setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                        kCli.string(), "apply", "-n", "-r", "-", root.string()});
    EXPECT_EQ(locked.status, 2) << locked.err;
    EXPECT_TRUE(contains(locked.err, "无法列出文件夹")) << locked.err;
}

TEST(CliControlCharacters, AreEscapedOnTheTerminalAndKeptInTables) {
    const TempFolder folder;
    const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
    ASSERT_EQ(cli({"apply", "-", drawing.string()}, "零件名称\t\\x1B[2J红\\x07\n").status, 0);

    EXPECT_EQ(readValue(drawing, "零件名称"), "\\x1B[2J红\\x07");
    EXPECT_TRUE(contains(cli({"inspect", drawing.string()}).out, "  零件名称\t\\x1B[2J红\\x07\n"));
    EXPECT_TRUE(contains(cli({"export", drawing.string()}).out, ",\x1b[2J红\x07,"));
    EXPECT_EQ(modelSpaceValues(testing_support::ezdxfAttributeLines(drawing), "零件名称"),
              (std::vector<std::string>{"\x1b[2J红\x07", "\x1b[2J红\x07"}));
}

TEST(CliValuesFile, IsReadWithinLimitsAndMustBeAFile) {
    const TempFolder folder;
    const fs::path drawing = copyOf(kTemplate, folder.path() / "d.dxf");
    // Readable for no one but root, in a folder everyone may enter.
    fs::permissions(folder.path(), fs::perms::all);
    const fs::path unreadable = folder.path() / "锁.tsv";
    writeBytes(unreadable, "零件名称\t新\n");
    fs::permissions(unreadable, fs::perms::none);
    const fs::path fifo = folder.path() / "无尽";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // An endless pipe under a 200 MB address-space limit: refused, not read until memory ends.
    const std::string endless =
        "ulimit -v 200000; cat /dev/zero > \"$2\" 2>/dev/null & exec \"$1\" "
        "apply \"$2\" \"$3\"";
    const struct {
        const char* name;
        fs::path program;
        std::vector<std::string> args;
        std::string number;
        std::string says;
    } cases[] = {
        {"a folder",
         kCli,
         {"apply", folder.path().string(), drawing.string()},
         "0x80070057",
         "是一个文件夹"},
        {"a missing file",
         kCli,
         {"apply", (folder.path() / "无.tsv").string(), drawing.string()},
         "0x80070002",
         "无法读取值文件"},
        {"a file its user may not read",
         "/usr/bin/setpriv",
         {"--reuid=nobody", "--regid=nogroup", "--clear-groups", kCli.string(), "apply",
          unreadable.string(), drawing.string()},
         "0x80070002",
         "没有读取权限"},
        {"an endless pipe",
         "/bin/bash",
         {"-c", endless, "sh", kCli.string(), fifo.string(), drawing.string()},
         "0x800700DF",
         "超过 16 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ending run = runProgram(c.program, c.args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.err.starts_with("错误 " + c.number)) << run.err;
        EXPECT_TRUE(contains(run.err, c.says)) << run.err;
    }
    EXPECT_EQ(readBytes(drawing), readBytes(kTemplate));
}

}  // namespace
}  // namespace cli
