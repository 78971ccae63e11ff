#include "ops/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/error.h"
#include "fake_cad.h"

namespace ops {
namespace {

using namespace std::string_literals;  // u"..."s keeps the U+0000 separators inside literals

struct ParseCase {
    const char* name;
    std::u16string S;  // with the appended separator, as selectFiles hands it over
    std::vector<std::u16string> FileList;
    std::int32_t FileCount;
};

TEST(ParseFileList, BuildsPathsFromTheFolderToken) {
    const ParseCase cases[] = {
        {"single path, taken whole",
         u"D:\\图纸 目录\\part 1.dxf\0"s,
         {u"D:\\图纸 目录\\part 1.dxf", u"D:\\图纸 目录\\part 1.dxf"},
         1},
        {"two names",
         u"/srv/a b/\0x 1.dxf\0零件.dxf\0"s,
         {u"/srv/a b/", u"/srv/a b/x 1.dxf", u"/srv/a b/零件.dxf"},
         2},
        {"three names",
         u"C:\\d\\\0a.dwg\0b.dwg\0c.dwg\0"s,
         {u"C:\\d\\", u"C:\\d\\a.dwg", u"C:\\d\\b.dwg", u"C:\\d\\c.dwg"},
         3},
        {"doubled separator gives the folder alone",
         u"C:\\d\\\0a.dwg\0\0b.dwg\0"s,
         {u"C:\\d\\", u"C:\\d\\a.dwg", u"C:\\d\\", u"C:\\d\\b.dwg"},
         3},
        {"spaces are part of names", u"F \0 \0"s, {u"F ", u"F  "}, 1},
        {"only the separator", u"\0"s, {u"", u""}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::u16string> FileList;
        std::int32_t FileCount = -7;
        parseFileList(c.S, FileList, FileCount);
        EXPECT_EQ(FileList, c.FileList);
        EXPECT_EQ(FileCount, c.FileCount);
    }
}

TEST(JoinSelection, WritesWhatParseFileListReadsBack) {
    const struct {
        const char* name;
        std::vector<std::u16string> names;
        std::u16string joined;
        std::u16string first;
    } cases[] = {
        {"none", {}, u"", u""},
        {"one: the path", {u"part 1.dxf"}, u"/图纸 目录/part 1.dxf", u"/图纸 目录/part 1.dxf"},
        {"several: the folder, then each name",
         {u"a.dxf", u"sub/零件 2.dxf"},
         u"/图纸 目录/\0a.dxf\0sub/零件 2.dxf"s,
         u"/图纸 目录/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string joined = joinSelection(u"/图纸 目录/", c.names);
        EXPECT_EQ(joined, c.joined);
        EXPECT_EQ(firstToken(joined), c.first);
        if (c.names.empty()) continue;

        std::vector<std::u16string> FileList;
        std::int32_t FileCount = 0;
        parseFileList(joined + kFileSeparator, FileList, FileCount);
        std::vector<std::u16string> paths;
        for (const auto& name : c.names) paths.push_back(u"/图纸 目录/" + name);
        EXPECT_EQ(chosenPaths(FileList, FileCount), paths);
    }
}

TEST(ChosenPaths, AreTheListAfterItsFolderAndACountPastItFails) {
    const std::vector<std::u16string> FileList{u"/d/", u"/d/a.dxf", u"/d/b.dxf"};
    const struct {
        std::int32_t FileCount;
        std::vector<std::u16string> paths;
    } cases[] = {{0, {}}, {1, {u"/d/a.dxf"}}, {2, {u"/d/a.dxf", u"/d/b.dxf"}}};
    for (const auto& c : cases) EXPECT_EQ(chosenPaths(FileList, c.FileCount), c.paths);
    try {
        chosenPaths(FileList, 3);
        ADD_FAILURE() << "no failure";
    } catch (const cad::Error& e) {
        EXPECT_EQ(e.number(), cad::errc::kBadIndex);
    }
}

TEST(ParseFileList, ShrinksTheListLeftByAnEarlierRun) {
    std::vector<std::u16string> FileList(6, u"old");
    std::int32_t FileCount = 5;
    parseFileList(u"/d/\0a\0b\0"s, FileList, FileCount);
    EXPECT_EQ(FileList, (std::vector<std::u16string>{u"/d/", u"/d/a", u"/d/b"}));
    EXPECT_EQ(FileCount, 2);

    parseFileList(u"/d/one\0"s, FileList, FileCount);
    EXPECT_EQ(FileList, (std::vector<std::u16string>{u"/d/one", u"/d/one"}));
    EXPECT_EQ(FileCount, 1);
}

TEST(SelectFiles, SetsUpTheDialogAndStoresTheSplitNameBack) {
    testing_support::Log log;
    testing_support::Dialog dialog(log, u"/d e/\0a.dxf\0b.dxf"s);
    dialog.settings().flags = 0x4 | kAllowMultiSelect;
    std::vector<std::u16string> FileList;
    std::int32_t FileCount = 0;

    EXPECT_TRUE(selectFiles(dialog, FileList, FileCount));

    EXPECT_EQ(dialog.seenAtShow.flags, 512);
    EXPECT_EQ(dialog.seenAtShow.filter, u"DWG Files|*.DWG");
    EXPECT_EQ(dialog.seenAtShow.maxFileSize, 10000);
    EXPECT_EQ(dialog.settings().fileName, u"/d e/\0a.dxf\0b.dxf\0"s);
    EXPECT_EQ(FileList, (std::vector<std::u16string>{u"/d e/", u"/d e/a.dxf", u"/d e/b.dxf"}));
    EXPECT_EQ(FileCount, 2);
    EXPECT_EQ(log, testing_support::Log{"ShowOpen"});
}

TEST(SelectFiles, NothingChosenLeavesTheListAndTheNameAlone) {
    testing_support::Log log;
    testing_support::Dialog dialog(log, u"");
    std::vector<std::u16string> FileList{u"/d/", u"/d/a"};
    std::int32_t FileCount = 1;

    EXPECT_FALSE(selectFiles(dialog, FileList, FileCount));

    EXPECT_EQ(FileCount, 0);
    EXPECT_EQ(FileList, (std::vector<std::u16string>{u"/d/", u"/d/a"}));
    EXPECT_EQ(dialog.settings().fileName, u"");
}

}  // namespace
}  // namespace ops
