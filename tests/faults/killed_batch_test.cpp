// zandrel-cli apply, four drawings at once, killed at random moments of a batch of 40 drawings:
// with SIGKILL, as a power cut or a killed session would stop it, and with SIGINT, SIGTERM and
// SIGHUP, as Ctrl+C, a shutdown or a closed terminal would. After every kill each drawing (and each
// backup) must be byte-identical to its original or to its finished result, the finished ones a
// prefix of the batch; the catchable signals leave no other file and end the run as the signal
// does; whatever SIGKILL left behind must not trip the next run, which must finish the batch and
// tidy up.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "files.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDrawings = 40;
constexpr int kKillsPerRound = 5;

const char* const kFixtures[] = {
    "titleblock_r12.dxf",   "titleblock_r2000_gbk.dxf", "titleblock_r2000_gbk_binary.dxf",
    "titleblock_r2004.dxf", "titleblock_r2010.dxf",     "titleblock_r2018.dxf",
};

const char* const kValues =
    "零件名称\t齿轮轴\n"
    "产品代号\tZD-2024-007\n"
    "编制签字\t张工\n"
    "审核时间\t2024-05-06\n";

// About 60 KB of comments before the end of an ASCII drawing, so that a kill can land while a
// drawing is being written and not only while it is flushed.
std::string padded(std::string drawing) {
    const std::size_t end = drawing.rfind("  0\nEOF");
    if (end == std::string::npos) return drawing;  // binary
    std::string comments;
    for (int i = 0; i < 1000; ++i) {
        comments +=
            "999\nzandrel fault test padding line " + std::to_string(i) + " ....................\n";
    }
    return drawing.insert(end, comments);
}

// The names a shell gives for drawings/*.dxf: what a user's next run would pick up.
std::vector<std::string> dxfNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.ends_with(".dxf")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Files that are neither a drawing nor a backup.
std::vector<std::string> strayNames(const fs::path& folder) {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".dxf") && !name.ends_with(".bak")) stray.push_back(name);
    }
    return stray;
}

class Batch {
public:
    Batch() {
        writeBytes(values_ / "values.tsv", kValues);
        for (int i = 0; i < kDrawings; ++i) {
            names_.push_back("drawing" + std::to_string(100 + i) + ".dxf");  // sorts in order
            originals_.push_back(
                padded(readBytes(fixturePath(kFixtures[i % std::size(kFixtures)]))));
        }
    }

    // Fresh copies of the original drawings in `folder`.
    void lay(const fs::path& folder) const {
        for (int i = 0; i < kDrawings; ++i) {
            writeBytes(folder / names_[i], originals_[i]);
        }
    }

    std::vector<std::string> arguments(const fs::path& folder) const {
        std::vector<std::string> args{"apply", "-j", "4", (values_ / "values.tsv").string()};
        for (const auto& name : names_) args.push_back((folder / name).string());
        return args;
    }

    // Runs the whole batch on fresh copies: the results every drawing must end with.
    Clock::duration finish() {
        expected_.clear();
        const TempFolder folder;
        lay(folder.path());
        const auto start = Clock::now();
        ChildProcess cli(ZANDREL_CLI, arguments(folder.path()));
        const Ending ending = cli.wait();
        const auto took = Clock::now() - start;
        EXPECT_EQ(ending.status, 0) << ending.err;
        for (const auto& name : names_) expected_.push_back(readBytes(folder / name));
        for (int i = 0; i < kDrawings; ++i) EXPECT_NE(expected_[i], originals_[i]) << names_[i];
        return took;
    }

    // Checks every drawing and backup in `folder`; returns how many drawings are finished.
    int check(const fs::path& folder) const {
        // Workers finish drawings in any order: each is whole, not the first few.
        int finished = 0;
        for (int i = 0; i < kDrawings; ++i) {
            SCOPED_TRACE(names_[i]);
            const std::string now = readBytes(folder / names_[i]);
            const bool done = now == expected_[i];
            EXPECT_TRUE(done || now == originals_[i]) << "neither original nor finished";
            finished += done ? 1 : 0;
            const fs::path backup = fs::path(folder / names_[i]).replace_extension(".bak");
            if (fs::exists(backup)) {
                const std::string kept = readBytes(backup);
                EXPECT_TRUE(kept == originals_[i] || kept == expected_[i]) << "backup broken";
            }
        }
        return finished;
    }

    const std::vector<std::string>& names() const { return names_; }

private:
    TempFolder values_;
    std::vector<std::string> names_;
    std::vector<std::string> originals_;
    std::vector<std::string> expected_;
};

// The signals a run is killed with, one after another, and how many folders are retried.
struct Kill {
    const char* name;
    std::vector<int> signals;
    int rounds;
};

class KilledBatch : public testing::TestWithParam<Kill> {};

TEST_P(KilledBatch, LeavesEveryDrawingWholeAndTheNextRunFinishes) {
    const std::vector<int>& signals = GetParam().signals;
    const int rounds = GetParam().rounds;
    Batch batch;
    const auto whole = std::min(batch.finish(), batch.finish());
    ASSERT_FALSE(HasFailure());

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Moments from the start of a run to the end of the work left: a rerun skips the drawings
    // already finished, which are unchanged and so not saved again.
    const auto moment = [&,
                         wholeUs =
                             std::chrono::duration_cast<std::chrono::microseconds>(whole).count()](
                            int finished) {
        const long long remaining = std::max(kDrawings - finished, 1);
        return std::uniform_int_distribution<long long>(0, wholeUs * remaining / kDrawings)(random);
    };

    int kills = 0;
    int killedRunning = 0;
    for (int round = 0; round < rounds; ++round) {
        const TempFolder folder;
        batch.lay(folder.path());
        // The same folder is run and killed again and again, as a user would retry.
        int finished = 0;
        for (int kill = 0; kill < kKillsPerRound && finished < kDrawings; ++kill) {
            ChildProcess cli(ZANDREL_CLI, batch.arguments(folder.path()));
            std::this_thread::sleep_for(std::chrono::microseconds(moment(finished)));
            const int signal = signals[kill % signals.size()];
            cli.kill(signal);
            const Ending ending = cli.wait();
            finished = batch.check(folder.path());
            ++kills;
            killedRunning += ending.exited ? 0 : 1;
            // Ended as the signal says (a shell shows 128 plus its number), or finished first.
            EXPECT_TRUE(ending.exited ? ending.status == 0 : ending.signal == signal) << ending.err;
            if (signal != SIGKILL) {
                EXPECT_EQ(strayNames(folder.path()), std::vector<std::string>{});
            }
            ASSERT_FALSE(HasFailure()) << "round " << round << ", kill " << kill;
        }
        // Whatever the kills left must not be taken for a drawing, nor stop the next run.
        ASSERT_EQ(dxfNames(folder.path()), batch.names());
        ChildProcess rerun(ZANDREL_CLI, batch.arguments(folder.path()));
        const Ending ending = rerun.wait();
        EXPECT_EQ(ending.status, 0) << ending.err;
        EXPECT_EQ(batch.check(folder.path()), kDrawings);
        EXPECT_EQ(strayNames(folder.path()), std::vector<std::string>{});
    }
    // Most kills must land inside a run, or the test proves little.
    EXPECT_GE(killedRunning, kills / 2);
    RecordProperty("killed_running", killedRunning);
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledBatch,
                         testing::Values(Kill{"KILL", {SIGKILL}, 8},
                                         Kill{"INT_TERM_HUP", {SIGINT, SIGTERM, SIGHUP}, 3}),
                         [](const testing::TestParamInfo<Kill>& param) { return param.param.name; });

}  // namespace
}  // namespace testing_support
