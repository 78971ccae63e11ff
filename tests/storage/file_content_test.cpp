// Reading files whole: what is read and what is refused, and a large file mapped rather than read,
// which another program may change meanwhile.

#include "storage/file_content.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "files.h"
#include "storage/error.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

// Enough bytes to be mapped where the file system allows it.
std::string largeContent() {
    std::string content;
    for (int i = 0; content.size() < (2U << 20); ++i) content += std::to_string(i) + "\n";
    return content;
}

TEST(FileContent, ReadsRegularFilesAndPipesWhole) {
    TempFolder folder;
    const std::string large = largeContent();
    const struct {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::string content;
    } cases[] = {
        {"small", [](const fs::path& p) { writeBytes(p, "small\n"); }, "small\n"},
        {"empty", [](const fs::path& p) { writeBytes(p, ""); }, ""},
        {"large", [&](const fs::path& p) { writeBytes(p, large); }, large},
        // Opening it does not wait for a writer, and with none it ends at once.
        {"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / c.name;
        c.make(path);
        std::string head;
        EXPECT_EQ(readFileContent(path, [&](std::string_view h) { head = h; }).view(), c.content);
        EXPECT_EQ(head, c.content.substr(0, kHeadSize));
        EXPECT_EQ(readWholeFile(path), c.content);
    }
}

TEST(FileContent, RefusesWhatIsNoFileToReadAndWhatItsHeadCheckRefuses) {
    TempFolder folder;
    fs::create_directory(folder / "folder.dxf");
    writeBytes(folder / "small.dxf", "small");
    writeBytes(folder / "large.dxf", largeContent());
    const auto refuse = [](std::string_view) { throw std::runtime_error("refused"); };
    const struct {
        const char* what;
        fs::path path;
        HeadCheck check;
        std::optional<Failure> failure;  // none: the head check's own exception
        std::uint32_t win32Code;
    } cases[] = {
        {"missing file", folder / "missing.dxf", {}, Failure::kSystem, 2},
        {"missing folder", folder / "no folder" / "part.dxf", {}, Failure::kSystem, 3},
        {"folder", folder / "folder.dxf", {}, Failure::kSystem, 336},
        {"device", "/dev/zero", {}, Failure::kNotRegularFile, 222},
        {"small file refused by its head", folder / "small.dxf", refuse, std::nullopt, 0},
        {"large file refused by its head", folder / "large.dxf", refuse, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool mappable : {false, true}) {
            try {
                if (mappable) {
                    readFileContent(c.path, c.check);
                } else {
                    readWholeFile(c.path, c.check);
                }
                ADD_FAILURE() << "read";
            } catch (const Error& error) {
                ASSERT_TRUE(c.failure) << error.what();
                EXPECT_EQ(error.failure(), *c.failure);
                EXPECT_EQ(error.win32Code(), c.win32Code);
                EXPECT_EQ(error.action(), Action::kOpen);
                EXPECT_EQ(error.path(), c.path);
            } catch (const std::runtime_error& refused) {
                EXPECT_FALSE(c.failure);
            }
        }
    }
}

TEST(FileContent, AMappedFileTellsWhenAnotherProgramChangedItAndStaysReadable) {
    TempFolder folder;
    const fs::path path = folder / "large.dxf";
    const std::string original = largeContent();
    writeBytes(path, original);
    if (!readFileContent(path).mapped()) {
        GTEST_SKIP() << "the temporary folder's file system is not one files are mapped on";
    }
    const struct {
        const char* what;
        std::function<void()> otherProgram;
        bool changed;
    } cases[] = {
        {"leaves it alone", [] {}, false},
        {"overwrites a byte in place",
         [&] {
             std::string bytes = original;
             bytes[bytes.size() / 2] = bytes[bytes.size() / 2] == '5' ? '6' : '5';
             writeBytes(path, bytes);
         },
         true},
        {"appends", [&] { writeBytes(path, original + "\n"); }, true},
        // The pages past the new end are gone from the mapping: reading them raises SIGBUS.
        {"cuts it short", [&] { ASSERT_EQ(::truncate(path.c_str(), 100), 0); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, original);
        FileContent content = readFileContent(path);
        c.otherProgram();
        // Every byte is still there to read; a page past a new end reads as zeros.
        const std::string_view bytes = content.view();
        EXPECT_EQ(bytes.size(), original.size());
        EXPECT_GT(std::count(bytes.begin(), bytes.end(), '\n'), 0);
        EXPECT_EQ(content.changedSinceOpened(), c.changed);
        // A copy taken before the file is overwritten keeps what was read, and the verdict.
        const std::string before(content.view());
        content.detach(path);
        EXPECT_FALSE(content.mapped());
        writeBytes(path, "overwritten");
        EXPECT_EQ(content.view(), before);
        EXPECT_EQ(content.changedSinceOpened(), c.changed);
    }
}

}  // namespace
}  // namespace storage
