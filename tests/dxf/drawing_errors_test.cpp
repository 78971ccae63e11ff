#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>

#include "base/hresult.h"
#include "base/unicode.h"
#include "child_process.h"
#include "dxf/drawing.h"
#include "dxf/error.h"
#include "dxf_builder.h"
#include "files.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

using base::hresult;

// The error opening `path` throws.
Error openError(const fs::path& path) {
    try {
        Drawing::open(path);
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << path << " opened";
    return {Errc::kSystem, 0, {}};
}

bool mentions(const Error& error, std::u16string_view text) {
    return error.description().find(text) != std::u16string::npos;
}

TEST(DrawingErrors, OpeningFailsWithANumberAndTheFilesNameAndLeavesItUntouched) {
    TempFolder folder;
    const std::string fixture =
        testing_support::readBytes(testing_support::fixturePath("titleblock_r2004.dxf"));
    const std::string binary =
        testing_support::readBytes(testing_support::fixturePath("titleblock_r2000_gbk_binary.dxf"));
    std::string malformed = fixture;
    malformed.replace(malformed.find("\n 10\n") + 1, 3, "1O ");  // a letter O for a zero
    const std::size_t malformedLine =
        static_cast<std::size_t>(
            std::count(malformed.begin(), malformed.begin() + malformed.find("1O "), '\n')) +
        1;
    fs::create_directory(folder / "folder.dxf");

    const struct {
        const char* name;
        std::string content;  // the file, when there is one
        Errc code;
        std::int32_t number;
        std::u16string detail;
    } cases[] = {
        {"missing.dxf", {}, Errc::kFileNotFound, hresult(0x80070002), u"文件不存在"},
        {"no folder/part.dxf", {}, Errc::kPathNotFound, hresult(0x80070003), u"文件夹不存在"},
        {"folder.dxf", {}, Errc::kFolder, hresult(0x80070150), u"文件夹"},
        {"letter.dxf", "Dear reader,\nthis is no drawing.\n", Errc::kNotDxf,
         numberOf(Errc::kNotDxf), u"不是 DXF"},
        {"empty.dxf", "", Errc::kNotDxf, numberOf(Errc::kNotDxf), u"空的"},
        {"part.dwg", std::string("AC1032\0\0\0\0\0\x01", 12) + "\x1f\x25", Errc::kDwg,
         numberOf(Errc::kDwg), u"DWG"},
        {"half.dxf", fixture.substr(0, fixture.size() / 2), Errc::kTruncated,
         numberOf(Errc::kTruncated), u"行"},
        {"half_binary.dxf", binary.substr(0, binary.size() / 2), Errc::kTruncated,
         numberOf(Errc::kTruncated), u"字节偏移"},
        {"malformed.dxf", malformed, Errc::kMalformed, numberOf(Errc::kMalformed),
         u"第 " + base::utf8ToUtf16(std::to_string(malformedLine)) + u" 行"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / c.name;
        const bool exists = c.code != Errc::kFileNotFound && c.code != Errc::kPathNotFound &&
                            c.code != Errc::kFolder;
        if (exists) testing_support::writeBytes(path, c.content);
        const Error error = openError(path);
        EXPECT_EQ(error.code(), c.code) << error.what();
        EXPECT_EQ(error.number(), c.number);
        EXPECT_TRUE(mentions(error, base::utf8ToUtf16(path.string()))) << error.what();
        EXPECT_TRUE(mentions(error, c.detail)) << error.what();
        if (exists) {
            EXPECT_EQ(testing_support::readBytes(path), c.content);
        }
    }
}

TEST(DrawingErrors, NamesThatCannotBeAFileAreRefused) {
    for (const fs::path& path : {fs::path(), fs::path(std::string("part\0.dxf", 9))}) {
        const Error error = openError(path);
        EXPECT_EQ(error.code(), Errc::kInvalidName);
        EXPECT_EQ(error.number(), hresult(0x8007007B));
    }
}

TEST(DrawingErrors, OpeningWithoutPermissionIsAccessDenied) {
    TempFolder folder;
    fs::permissions(folder.path(),
                    fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
    const auto path = testing_support::copyFixture("titleblock_r12.dxf", folder);
    const std::string original = testing_support::readBytes(path);
    fs::permissions(path, fs::perms::none);
    const int result = testing_support::runWithoutPrivileges([&] {
        try {
            Drawing::open(path);
            return 1;
        } catch (const Error& error) {
            return error.number() == hresult(0x80070005) && mentions(error, u"没有访问权限") ? 0
                                                                                             : 2;
        }
    });
    EXPECT_EQ(result, 0);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(testing_support::readBytes(path), original);
}

TEST(DrawingErrors, ACodePageThisSystemCannotConvertIsRefused) {
    const std::string drawing =
        testing_support::asciiDxf(testing_support::drawingTags("AC1015", "ANSI_1258", {}));
    // Without a free file descriptor the converter's module cannot be loaded.
    const int result = testing_support::runInChildProcess([&] {
        const rlimit limit{3, 3};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 3;
        try {
            Drawing::fromBytes(drawing, "vietnamese.dxf");
            return 1;
        } catch (const Error& error) {
            return error.code() == Errc::kUnsupportedCodePage && mentions(error, u"ANSI_1258") &&
                           mentions(error, u"vietnamese.dxf")
                       ? 0
                       : 2;
        }
    });
    EXPECT_EQ(result, 0);
}

// A drawing with a changed value, ready to save into `folder`.
Drawing changedDrawing(const fs::path& path) {
    Drawing drawing = Drawing::open(path);
    drawing.putAttributeValue(drawing.entity(3).attributes.front(), u"changed");
    return drawing;
}

TEST(DrawingErrors, SavingIntoAFolderWithoutWritePermissionIsAccessDenied) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r2010.dxf", folder);
    const std::string original = testing_support::readBytes(path);
    fs::permissions(path, fs::perms::all);
    fs::permissions(folder.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const int result = testing_support::runWithoutPrivileges([&] {
        try {
            changedDrawing(path).save();
            return 1;
        } catch (const Error& error) {
            return error.number() == hresult(0x80070005) ? 0 : 2;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(testing_support::readBytes(path), original);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"titleblock_r2010.dxf"}));
}

TEST(DrawingErrors, AFullDiskLeavesTheDrawingAsItWas) {
    TempFolder folder;
    if (::geteuid() != 0 || ::mount("tmpfs", folder.path().c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "needs a small file system of its own (root may mount one)";
    }
    const auto path =
        testing_support::copyFixture("titleblock_r2018.dxf", folder);  // 42 KB of 64 KB
    const std::string original = testing_support::readBytes(path);
    try {
        changedDrawing(path).save();
        ADD_FAILURE() << "saved on a full disk";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), Errc::kDiskFull);
        EXPECT_EQ(error.number(), hresult(0x80070070));
        EXPECT_TRUE(mentions(error, u"磁盘空间不足")) << error.what();
    }
    EXPECT_EQ(testing_support::readBytes(path), original);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"titleblock_r2018.dxf"}));
    ::umount(folder.path().c_str());
}

TEST(DrawingErrors, AnyOtherWriteFailureLeavesTheDrawingAsItWas) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r2000_gbk.dxf", folder);
    const std::string original = testing_support::readBytes(path);
    // A file-size limit below the drawing's size makes the write of the new version fail.
    const int result = testing_support::runInChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        try {
            changedDrawing(path).save();
            return 1;
        } catch (const Error& error) {
            return error.number() == hresult(0x800700DF) ? 0 : 2;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(testing_support::readBytes(path), original);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"titleblock_r2000_gbk.dxf"}));
}

TEST(DrawingErrors, ABackupThatCannotBeReplacedStopsTheSave) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r12.dxf", folder);
    const std::string original = testing_support::readBytes(path);
    fs::create_directory(folder / "titleblock_r12.bak");
    testing_support::writeBytes(folder / "titleblock_r12.bak" / "inside", "x");
    try {
        changedDrawing(path).save();
        ADD_FAILURE() << "saved";
    } catch (const Error& error) {
        EXPECT_TRUE(mentions(error, u"titleblock_r12.bak")) << error.what();
    }
    EXPECT_EQ(testing_support::readBytes(path), original);
    EXPECT_EQ(folder.names(),
              (std::vector<std::string>{"titleblock_r12.bak", "titleblock_r12.dxf"}));
}

}  // namespace
}  // namespace dxf
