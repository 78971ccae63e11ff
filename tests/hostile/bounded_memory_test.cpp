// Files no drawing could be, however large or endless, are refused in bounded memory: the first
// bytes decide before the rest is read, a file larger than the machine could hold is refused from
// its size, and a pipe is read no further than that. The child's peak resident memory is measured.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "dxf/error.h"
#include "files.h"
#include "storage/file_content.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

constexpr long kBoundKb = 100 * 1024;

// A file of `size` bytes that starts with `head` and holds nothing on disk after it.
bool makeSparse(const fs::path& path, const std::string& head, std::uint64_t size) {
    writeBytes(path, head);
    return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string failureLine(dxf::Errc code) {
    return "(" + std::to_string(dxf::numberOf(code)) + "): ";
}

// zandrel-cli read on `drawing` while `writer` (a shell command, or none) feeds it.
Ending readThroughCli(const fs::path& drawing, const std::string& writer = {},
                      const std::vector<std::string>& limit = {}) {
    // Held open here too, so the reader never finds the pipe without a writer, whoever starts
    // first; the writer is killed when done.
    const int held = writer.empty() ? -1 : ::open(drawing.c_str(), O_RDWR | O_CLOEXEC);
    std::optional<ChildProcess> feeding;
    if (!writer.empty()) feeding.emplace("/bin/sh", std::vector<std::string>{"-c", writer});
    std::vector<std::string> args = limit;
    std::string program = ZANDREL_CLI;
    if (!limit.empty()) {
        args.push_back(program);
        program = "/usr/bin/prlimit";
    }
    args.insert(args.end(), {"read", drawing.string()});
    const Ending ending = ChildProcess(program, args).wait(std::chrono::seconds(60));
    if (held >= 0) ::close(held);
    return ending;
}

TEST(BoundedMemory, HugeAndEndlessFilesAreRefusedWithoutBeingHeld) {
    const TempFolder folder;
    const fs::path sparse = folder / "sparse.dxf";
    const fs::path tooLarge = folder / "too large.dxf";
    ASSERT_TRUE(makeSparse(sparse, "", std::uint64_t{2} << 30));
    if (!makeSparse(tooLarge, "0\nSECTION\n", storage::largestReadableFile() + 1)) {
        GTEST_SKIP() << "this file system cannot hold the sparse file";
    }
    const fs::path fifo = folder / "endless.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    struct Case {
        const char* what;
        fs::path drawing;
        std::string writer;
        dxf::Errc expected;
    };
    const Case cases[] = {
        {"a 2 GB sparse file", sparse, "", dxf::Errc::kNotDxf},
        {"a file larger than half the memory", tooLarge, "", dxf::Errc::kFileTooLarge},
        {"a FIFO fed by /dev/zero", fifo, "exec cat /dev/zero > '" + fifo.string() + "'",
         dxf::Errc::kNotDxf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Ending ending = readThroughCli(c.drawing, c.writer);
        EXPECT_TRUE(ending.exited && ending.status == 1) << ending.err;
        EXPECT_NE(ending.err.find(failureLine(c.expected)), std::string::npos) << ending.err;
        EXPECT_LT(ending.peakMemoryKb, kBoundKb);
    }
}

TEST(BoundedMemory, APipeThatLooksLikeADrawingIsReadNoFurtherThanTheLimit) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer cannot run with a limited address space";
#endif
    const TempFolder folder;
    const fs::path fifo = folder / "endless.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Comments without end: every line pair is a valid tag. An address space of 512 MB makes
    // the limit 256 MB.
    const Ending ending =
        readThroughCli(fifo, "exec yes 999 > '" + fifo.string() + "'", {"--as=536870912", "--"});
    EXPECT_TRUE(ending.exited && ending.status == 1) << ending.err;
    EXPECT_NE(ending.err.find(failureLine(dxf::Errc::kFileTooLarge)), std::string::npos)
        << ending.err;
    EXPECT_NE(ending.err.find("268435456"), std::string::npos) << ending.err;
}

}  // namespace
}  // namespace testing_support
