// Large drawings are mapped from their files rather than read into memory. The lock binds only
// programs that ask for it, so another program may still write to such a file while it is open:
// the save must then refuse rather than write a mixture of both, and a file cut short must not
// end the process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "dxf/drawing.h"
#include "dxf/error.h"
#include "dxf_builder.h"
#include "files.h"
#include "folder_snapshot.h"
#include "storage/backup.h"
#include "storage/file_content.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;

// About 2 MB: a block reference with one attribute, then lines enough to be mapped.
std::string largeDrawing() {
    testing_support::Tags entities = {{0, "INSERT"}, {8, "0"}, {2, "TB"},  {66, "1"},
                                      {0, "ATTRIB"}, {8, "0"}, {1, "old"}, {2, "TAG"},
                                      {0, "SEQEND"}, {8, "0"}};
    for (int i = 0; i < 40000; ++i) {
        entities.insert(entities.end(),
                        {{0, "LINE"}, {8, "0"}, {10, "1.5"}, {20, "2.5"}, {11, "3.5"}, {21, "4"}});
    }
    return testing_support::asciiDxf(testing_support::drawingTags("AC1015", "ANSI_1252", entities));
}

void putValue(Drawing& drawing, std::u16string_view value) {
    drawing.putAttributeValue(drawing.entity(0).attributes.front(), value);
}

std::u16string valueIn(const fs::path& path) {
    const Drawing drawing = Drawing::open(path);
    return drawing.attributeValue(drawing.entity(0).attributes.front());
}

class MappedDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::writeBytes(path_, original_);
        if (!storage::readFileContent(path_).mapped()) {
            GTEST_SKIP() << "the temporary folder's file system is not one drawings are mapped on";
        }
    }

    TempFolder folder_;
    fs::path path_ = folder_ / "part.dxf";
    std::string original_ = largeDrawing();
};

TEST_F(MappedDrawing, SavesAndSavesAgainFromTheBytesItOpened) {
    {
        Drawing drawing = Drawing::open(path_);
        putValue(drawing, u"first");
        drawing.save();
        // The second save writes from the version the first one moved to the backup.
        putValue(drawing, u"second");
        drawing.save();
    }
    EXPECT_EQ(valueIn(path_), u"second");
    EXPECT_EQ(valueIn(storage::backupPathOf(path_)), u"first");
    std::string expected = original_;
    expected.replace(expected.find("\nold\n") + 1, 3, "second");
    EXPECT_EQ(readBytes(path_), expected);
}

TEST_F(MappedDrawing, SavingByCopyingToAHardLinkedDrawingWritesFromACopy) {
    fs::create_hard_link(path_, folder_ / "other name.dxf");
    Drawing drawing = Drawing::open(path_);
    // A longer value moves every byte after it: overwriting in place while reading from a
    // mapping of the same file would copy bytes already overwritten.
    putValue(drawing, u"a value much longer than the old one");
    drawing.save();
    std::string expected = original_;
    expected.replace(expected.find("\nold\n") + 1, 3, "a value much longer than the old one");
    EXPECT_EQ(readBytes(path_), expected);
    EXPECT_EQ(readBytes(folder_ / "other name.dxf"), expected);
    EXPECT_EQ(readBytes(storage::backupPathOf(path_)), original_);
}

TEST_F(MappedDrawing, ASaveAfterAnotherProgramChangedTheFileRefusesAndChangesNothing) {
    const struct {
        const char* what;
        std::function<void(const fs::path&)> otherProgram;
    } kChanges[] = {
        {"overwrites a byte in place",
         [](const fs::path& p) {
             std::string bytes = readBytes(p);
             bytes[bytes.size() / 2] = bytes[bytes.size() / 2] == '5' ? '6' : '5';
             testing_support::writeBytes(p, bytes);
         }},
        {"appends", [](const fs::path& p) { testing_support::writeBytes(p, readBytes(p) + "\n"); }},
        // The pages past the new end are gone from the mapping: reading them raises SIGBUS.
        {"cuts it short", [](const fs::path& p) { ASSERT_EQ(::truncate(p.c_str(), 100), 0); }},
    };
    for (const auto& change : kChanges) {
        SCOPED_TRACE(change.what);
        testing_support::writeBytes(path_, original_);
        fs::remove(storage::backupPathOf(path_));
        Drawing drawing = Drawing::open(path_);
        putValue(drawing, u"new");
        change.otherProgram(path_);
        // Every byte is still there to read; a page past a new end reads as zeros.
        std::size_t lines = 0;
        drawing.forEachPieceOfContent([&lines](std::string_view piece) {
            lines += static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n'));
        });
        EXPECT_GT(lines, 0U);
        const std::string theirs = readBytes(path_);
        const auto before = testing_support::snapshotOf(folder_.path());
        try {
            drawing.save();
            ADD_FAILURE() << "the save wrote over the other program's change";
        } catch (const Error& e) {
            EXPECT_EQ(e.code(), Errc::kReplaced) << e.what();
        }
        EXPECT_EQ(readBytes(path_), theirs);
        EXPECT_EQ(testing_support::snapshotOf(folder_.path()), before);
    }
}

}  // namespace
}  // namespace dxf
