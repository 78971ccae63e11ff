// zandrel-cli apply never overwrites its own inputs: a list where one drawing's backup is another
// listed drawing, or where two drawings share one backup, is a usage error before anything is
// opened; a drawing listed again (the same path, a symbolic link, a hard link) is written once, so
// its backup is the version from before the batch.

#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"
#include "folder_snapshot.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

constexpr int kBatchListConflict = static_cast<int>(0x80040202);

struct Listed {
    const char* name;
    std::function<void(const fs::path&)> arrange;  // besides x.dxf, which every folder holds
    std::vector<std::string> listed;
};

struct Batch {
    TempFolder drawings;
    TempFolder other;
    std::string original = readBytes(fixturePath("titleblock_r2018.dxf"));

    explicit Batch(const Listed& c) {
        writeBytes(other / "values.tsv", "零件名称\t新零件名\n");
        writeBytes(drawings / "x.dxf", original);
        c.arrange(drawings.path());
    }
    Ending apply(const std::vector<std::string>& names) const {
        std::vector<std::string> args{"apply", (other / "values.tsv").string()};
        for (const auto& name : names) args.push_back((drawings / name).string());
        return ChildProcess(ZANDREL_CLI, args).wait(std::chrono::seconds(60));
    }
};

void copyOfX(const fs::path& folder, const char* name) {
    fs::copy_file(folder / "x.dxf", folder / name);
}

TEST(ListedInputs, AListThatWouldOverwriteItsOwnInputsChangesNothing) {
    const Listed cases[] = {
        {"a drawing and its backup",
         [](const fs::path& f) { copyOfX(f, "x.bak"); },
         {"x.dxf", "x.bak"}},
        {"the backup listed first",
         [](const fs::path& f) { copyOfX(f, "x.bak"); },
         {"x.bak", "x.dxf"}},
        {"names that differ in case share a backup",
         [](const fs::path& f) { copyOfX(f, "x.DXF"); },
         {"x.dxf", "x.DXF"}},
        {"the backup is a link to another listed drawing",
         [](const fs::path& f) {
             copyOfX(f, "y.dxf");
             fs::create_symlink("y.dxf", f / "x.bak");
         },
         {"x.dxf", "y.dxf"}},
        {"the backup is a hard link of another listed drawing",
         [](const fs::path& f) {
             copyOfX(f, "y.dxf");
             fs::create_hard_link(f / "y.dxf", f / "x.bak");
         },
         {"x.dxf", "y.dxf"}},
    };
    for (const Listed& c : cases) {
        SCOPED_TRACE(c.name);
        const Batch batch(c);
        const FolderSnapshot before = snapshotOf(batch.drawings.path());

        const Ending ending = batch.apply(c.listed);

        EXPECT_TRUE(ending.exited && ending.status == 2) << ending.err;
        EXPECT_NE(ending.err.find("(" + std::to_string(kBatchListConflict) + "): "),
                  std::string::npos)
            << ending.err;
        EXPECT_EQ(snapshotOf(batch.drawings.path()), before);
    }
}

TEST(ListedInputs, ADrawingListedAgainIsWrittenOnceAndItsBackupIsTheVersionBefore) {
    const Listed cases[] = {
        {"the same path twice", [](const fs::path&) {}, {"x.dxf", "x.dxf"}},
        {"through another spelling", [](const fs::path&) {}, {"x.dxf", "./x.dxf"}},
        {"through a symbolic link",
         [](const fs::path& f) { fs::create_symlink("x.dxf", f / "link.dxf"); },
         {"link.dxf", "x.dxf"}},
        {"through a hard link",
         [](const fs::path& f) { fs::create_hard_link(f / "x.dxf", f / "h.dxf"); },
         {"x.dxf", "h.dxf"}},
    };
    for (const Listed& c : cases) {
        SCOPED_TRACE(c.name);
        const Batch batch(c);

        const Ending ending = batch.apply(c.listed);

        EXPECT_TRUE(ending.exited && ending.status == 0) << ending.err;
        EXPECT_NE(readBytes(batch.drawings / "x.dxf").find("新零件名"), std::string::npos);
        EXPECT_EQ(readBytes(batch.drawings / "x.bak"), batch.original);
    }
}

TEST(ListedInputs, NamesThatDifferInCaseInAFolderThatKeepsCaseAreTwoDrawings) {
    // x.dxf and X.dxf keep their previous versions as x.bak and X.bak, two names here.
    const Listed c{"", [](const fs::path& f) { copyOfX(f, "X.dxf"); }, {"x.dxf", "X.dxf"}};
    const Batch batch(c);

    const Ending ending = batch.apply(c.listed);

    EXPECT_TRUE(ending.exited && ending.status == 0) << ending.err;
    for (const char* backup : {"x.bak", "X.bak"}) {
        EXPECT_EQ(readBytes(batch.drawings / backup), batch.original) << backup;
    }
}

}  // namespace
}  // namespace testing_support
