// The built-in engine's file handling under Windows (run under Wine by scripts/test-windows): the
// lock between opening and saving, ReplaceFile keeping the previous version as NAME.bak, and the
// restore trading a drawing with it.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "dxf/drawing.h"
#include "dxf/error.h"
#include "storage/backup.h"
#include "storage/error.h"
#include "storage/file_lock.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class EngineFile : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zandrel-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
        original_ = readBytes(ZANDREL_FIXTURES_DIR "/titleblock_r2004.dxf");
        ASSERT_FALSE(original_.empty());
        writeBytes(drawing(), original_);
    }
    void TearDown() override {
        SetFileAttributesW(drawing().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder_);
    }
    fs::path drawing() const { return folder_ / L"零件.dxf"; }
    fs::path backup() const { return folder_ / L"零件.bak"; }

    static void putAndSave(dxf::Drawing& drawing, std::u16string_view value) {
        drawing.putAttributeValue(drawing.entity(3).attributes.front(), value);
        drawing.save();
    }

    fs::path folder_;
    std::string original_;
};

TEST_F(EngineFile, ASecondOpenOfADrawingBeingEditedFailsWithTheLockError) {
    dxf::Drawing first = dxf::Drawing::open(drawing());
    try {
        dxf::Drawing::open(drawing());
        FAIL() << "opened twice";
    } catch (const dxf::Error& error) {
        EXPECT_EQ(error.code(), dxf::Errc::kLocked);
        EXPECT_NE(error.description().find(u"零件.dxf"), std::u16string::npos);
    }
    // The lock excludes editors, not readers, and the first run completes.
    EXPECT_EQ(readBytes(drawing()), original_);
    putAndSave(first, u"齿轮轴");
    try {
        dxf::Drawing::open(drawing());
        FAIL() << "the saved drawing is still held by the first";
    } catch (const dxf::Error& error) {
        EXPECT_EQ(error.code(), dxf::Errc::kLocked);
    }
}

TEST_F(EngineFile, ReplaceFileKeepsThePreviousVersionAndReplacesAnOlderBackupOnlyOnSuccess) {
    writeBytes(backup(), "older backup");
    std::string saved;
    {
        dxf::Drawing open = dxf::Drawing::open(drawing());
        putAndSave(open, u"齿轮轴");
        saved = readBytes(drawing());
        EXPECT_NE(saved, original_);
        EXPECT_EQ(readBytes(backup()), original_);
        // An unchanged save writes nothing.
        open.save();
        EXPECT_EQ(readBytes(backup()), original_);
    }
    // A read-only drawing is not saved, and its backup stays.
    SetFileAttributesW(drawing().c_str(), FILE_ATTRIBUTE_READONLY);
    dxf::Drawing open = dxf::Drawing::open(drawing());
    try {
        putAndSave(open, u"别的");
        FAIL() << "saved a read-only drawing";
    } catch (const dxf::Error& error) {
        EXPECT_EQ(error.code(), dxf::Errc::kReadOnly);
    }
    EXPECT_EQ(readBytes(drawing()), saved);
    EXPECT_EQ(readBytes(backup()), original_);
}

// Another program's save between open and save (by rename, as CAD programs save): the handle's
// file information no longer matches, so nothing is written over that program's version.
TEST_F(EngineFile, ASaveRefusesADrawingAnotherProgramReplacedSinceItsOpen) {
    dxf::Drawing open = dxf::Drawing::open(drawing(), nullptr, {.claim = dxf::Claim::kWhileBusy});
    const fs::path theirs = folder_ / L"他们的.dxf";
    writeBytes(theirs, original_ + "\n");
    ASSERT_TRUE(MoveFileExW(theirs.c_str(), drawing().c_str(), MOVEFILE_REPLACE_EXISTING));
    try {
        putAndSave(open, u"齿轮轴");
        FAIL() << "saved over another program's version";
    } catch (const dxf::Error& error) {
        EXPECT_EQ(error.code(), dxf::Errc::kReplaced);
    }
    EXPECT_EQ(readBytes(drawing()), original_ + "\n");
    EXPECT_FALSE(fs::exists(backup()));
}

TEST_F(EngineFile, RestoringTradesTheDrawingWithItsBackupAndRefusesWithoutOne) {
    try {
        storage::restoreBackup(drawing());
        FAIL() << "restored without a backup";
    } catch (const storage::Error& error) {
        EXPECT_EQ(error.failure(), storage::Failure::kNoBackup);
    }
    writeBytes(backup(), "older version");
    storage::restoreBackup(drawing());
    EXPECT_EQ(readBytes(drawing()), "older version");
    EXPECT_EQ(readBytes(backup()), original_);
    {
        // A drawing another run is editing is left to it.
        const storage::FileLock editor(drawing());
        try {
            storage::restoreBackup(drawing());
            FAIL() << "restored a drawing being edited";
        } catch (const storage::Error& error) {
            EXPECT_EQ(error.failure(), storage::Failure::kLocked);
        }
    }
    storage::restoreBackup(drawing());
    EXPECT_EQ(readBytes(drawing()), original_);
    EXPECT_EQ(readBytes(backup()), "older version");
}

TEST_F(EngineFile, AFolderNamedLikeADrawingIsRefusedAsAFolder) {
    const fs::path folder = folder_ / L"图纸.dxf";
    fs::create_directory(folder);
    try {
        dxf::Drawing::open(folder);
        FAIL() << "opened a folder";
    } catch (const dxf::Error& error) {
        EXPECT_EQ(error.code(), dxf::Errc::kFolder);
        EXPECT_EQ(static_cast<std::uint32_t>(error.number()), 0x80070150U);
        EXPECT_NE(error.description().find(u"图纸.dxf"), std::u16string::npos);
    }
}

}  // namespace
