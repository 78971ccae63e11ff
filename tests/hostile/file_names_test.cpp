// Names that are not UTF-8 (a GBK name unpacked from a Windows archive, a Latin-1 name) reach the
// file they name through zandrel-cli: that file is edited, a sibling whose name shows the same
// once its odd bytes are replaced by U+FFFD is not, and messages show the odd bytes as \xHH.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"
#include "folder_snapshot.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

const std::string kNewPartName = "新零件名";

struct Named {
    const char* what;
    std::string name;
};

// A drawing, a values file writing 零件名称, and the command that applies it.
struct Folder {
    TempFolder drawings;
    TempFolder other;
    std::string original = readBytes(fixturePath("titleblock_r2018.dxf"));

    Folder() { writeBytes(other / "values.tsv", "零件名称\t" + kNewPartName + "\n"); }
    std::string add(const std::string& name) {
        writeBytes(drawings / name, original);
        return (drawings / name).string();
    }
    Ending apply(const std::vector<std::string>& paths) const {
        std::vector<std::string> args{"apply", (other / "values.tsv").string()};
        args.insert(args.end(), paths.begin(), paths.end());
        return ChildProcess(ZANDREL_CLI, args).wait(std::chrono::seconds(60));
    }
    bool edited(const std::string& name) const {
        return readBytes(drawings / name).find(kNewPartName) != std::string::npos;
    }
};

TEST(FileNames, TheNamedFileIsEditedAndNoSiblingThatReadsTheSame) {
    const Named named[] = {
        {"GBK 零件.dxf", "\xC1\xE3\xBC\xFE.dxf"},
        {"Latin-1 café.dxf", "caf\xE9.dxf"},
        {"a lone continuation byte", "\x80part.dxf"},
    };
    // What the names read as once their odd bytes become U+FFFD: each is a file of its own.
    const char* lookalikes[] = {"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.dxf",
                                "\xEF\xBF\xBD\xEF\xBF\xBD.dxf", "caf\xEF\xBF\xBD.dxf",
                                "\xEF\xBF\xBDpart.dxf"};
    Folder folder;
    std::vector<std::string> paths;
    for (const Named& n : named) paths.push_back(folder.add(n.name));
    for (const char* name : lookalikes) folder.add(name);
    TempFolder copy;
    for (const char* name : lookalikes) writeBytes(copy / name, folder.original);
    const FolderSnapshot untouched = snapshotOf(copy.path());

    const Ending ending = folder.apply(paths);

    EXPECT_TRUE(ending.exited && ending.status == 0) << ending.err;
    for (const Named& n : named) EXPECT_TRUE(folder.edited(n.name)) << n.what;
    FolderSnapshot lookalikesAfter;
    for (const auto& [name, entry] : snapshotOf(folder.drawings.path())) {
        if (std::find(std::begin(lookalikes), std::end(lookalikes), name) != std::end(lookalikes)) {
            lookalikesAfter.emplace(name, entry);
        }
    }
    EXPECT_EQ(lookalikesAfter, untouched);
    // The progress names each file with its odd bytes visible.
    EXPECT_NE(ending.err.find("\\xC1\\xE3\\xBC\\xFE.dxf"), std::string::npos) << ending.err;
    EXPECT_NE(ending.err.find("caf\\xE9.dxf"), std::string::npos) << ending.err;
}

TEST(FileNames, AMissingNameIsReportedWithItsOddBytesVisible) {
    Folder folder;
    folder.add("caf\xEF\xBF\xBD.dxf");  // what a lossy reading of the missing name would open
    const FolderSnapshot before = snapshotOf(folder.drawings.path());

    const Ending ending = folder.apply({(folder.drawings / "caf\xE9.dxf").string()});

    EXPECT_TRUE(ending.exited && ending.status == 1) << ending.err;
    EXPECT_NE(ending.err.find("-2147024894"), std::string::npos) << ending.err;  // not found
    EXPECT_NE(ending.err.find("caf\\xE9.dxf"), std::string::npos) << ending.err;
    EXPECT_EQ(snapshotOf(folder.drawings.path()), before);
}

}  // namespace
}  // namespace testing_support
