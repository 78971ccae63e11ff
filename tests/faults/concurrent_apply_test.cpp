// Two zandrel-cli apply runs on one drawing at the same time, each writing its own field, as two
// users of a shared folder might. The drawing must end with the edit of every run that reported
// success; a run that found the drawing being edited must fail at once with the lock error and
// change nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

constexpr int kTrials = 50;

// A drawing big enough (about 4 MB) that two runs started together overlap.
std::string bigDrawing() {
    std::string drawing =
        testing_support::readBytes(testing_support::fixturePath("titleblock_r2004.dxf"));
    std::string comments;
    for (int i = 0; i < 60000; ++i) {
        comments += "999\nzandrel concurrency test padding line " + std::to_string(i) + "\n";
    }
    return drawing.insert(drawing.rfind("  0\nEOF"), comments);
}

// What `zandrel-cli read` prints for the drawing.
std::string readValues(const fs::path& drawing, const fs::path& folder) {
    const fs::path out = folder / "read.txt";
    const std::string command =
        std::string(ZANDREL_CLI) + " read '" + drawing.string() + "' > '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return testing_support::readBytes(out);
}

TEST(ConcurrentApply, NoRunLosesItsEditAndASecondEditorFailsWithTheLockError) {
    const testing_support::TempFolder folder;
    const std::string original = bigDrawing();
    const fs::path drawing = folder / "shared.dxf";
    const struct {
        std::string values;
        std::string shows;  // the line `read` prints once the edit is in
    } runs[] = {{"零件名称\t甲的零件\n", "零件名称\t甲的零件\n"},
                {"产品代号\t乙-007\n", "产品代号\t乙-007\n"}};
    testing_support::writeBytes(folder / "a.tsv", runs[0].values);
    testing_support::writeBytes(folder / "b.tsv", runs[1].values);

    int refused = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        testing_support::writeBytes(drawing, original);
        ChildProcess first(ZANDREL_CLI, {"apply", (folder / "a.tsv").string(), drawing.string()});
        ChildProcess second(ZANDREL_CLI, {"apply", (folder / "b.tsv").string(), drawing.string()});
        const Ending endings[] = {first.wait(), second.wait()};
        const std::string values = readValues(drawing, folder.path());
        for (int run = 0; run < 2; ++run) {
            const Ending& ending = endings[run];
            ASSERT_TRUE(ending.exited) << ending.err;
            if (ending.status == 0) {
                EXPECT_NE(values.find(runs[run].shows), std::string::npos) << "lost update";
            } else {
                ++refused;
                EXPECT_EQ(ending.status, 1);
                EXPECT_NE(ending.err.find("图形正由另一程序编辑"), std::string::npos) << ending.err;
                EXPECT_NE(ending.err.find("shared.dxf"), std::string::npos) << ending.err;
                EXPECT_EQ(values.find(runs[run].shows), std::string::npos);
            }
        }
        EXPECT_TRUE(endings[0].status == 0 || endings[1].status == 0) << "both refused";
        ASSERT_FALSE(HasFailure());
    }
    // Runs that never overlap would prove nothing about the lock.
    EXPECT_GT(refused, 0);
    RecordProperty("refused", refused);
}

}  // namespace
}  // namespace testing_support
