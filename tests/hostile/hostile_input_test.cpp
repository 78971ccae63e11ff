// Malformed drawings and hostile paths and files, given to the batch update in process and to
// zandrel-cli apply as a user would: each is refused with a numbered error whose description names
// the file and the cause, and nothing on disk changes. The suite also runs under AddressSanitizer
// and UndefinedBehaviorSanitizer (scripts/test-sanitize), which turn a crash or a leak into a
// failure.

#include <fcntl.h>
#include <gtest/gtest.h>

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "cad/engine/engine_connector.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "child_process.h"
#include "cli/escape.h"
#include "cli/text_fields.h"
#include "dxf/error.h"
#include "files.h"
#include "folder_snapshot.h"
#include "ops/batch_update.h"
#include "titleblock/field_map.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;
using dxf::Errc;

constexpr std::u16string_view kPartNameTag = u"零件名称";
const std::u16string kPartName = u"新零件名";

// ---- Drawings made hostile -------------------------------------------------------------------

const std::string& r2018() {
    static const std::string text = fixtureBytes("titleblock_r2018.dxf");
    return text;
}
const std::string& binary() {
    static const std::string bytes = fixtureBytes("titleblock_r2000_gbk_binary.dxf");
    return bytes;
}

std::size_t lineCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}
// The offset where 1-based line `line` starts.
std::size_t lineStart(std::string_view text, std::size_t line) {
    std::size_t at = 0;
    for (std::size_t n = 1; n < line; ++n) at = text.find('\n', at) + 1;
    return at;
}
// The 1-based line that holds `value` as a whole line, at or after line `from`.
std::size_t lineOf(std::string_view text, std::string_view value, std::size_t from = 1) {
    const std::size_t begin = lineStart(text, from);
    const std::size_t at = text.find("\n" + std::string(value) + "\n", begin > 0 ? begin - 1 : 0);
    return lineCount(text.substr(0, at + 1)) + 1;
}
std::string firstLines(std::string_view text, std::size_t lines) {
    return std::string(text.substr(0, lineStart(text, lines + 1)));
}
std::string withLine(std::string text, std::size_t line, std::string_view content) {
    const std::size_t begin = lineStart(text, line);
    return text.replace(begin, text.find('\n', begin) - begin, content);
}
std::string withoutLines(std::string text, std::size_t line, std::size_t count) {
    const std::size_t begin = lineStart(text, line);
    return text.erase(begin, lineStart(text, line + count) - begin);
}
std::u16string atLine(std::size_t line) {
    return u"第 " + base::utf8ToUtf16(std::to_string(line)) + u" 行";
}
std::u16string atByte(std::size_t offset) {
    return u"字节偏移 " + base::utf8ToUtf16(std::to_string(offset)) + u" 处";
}

// The R2018 fixture cut halfway through section `name`: after a whole tag, or, with `midTag`,
// after a group code whose value is missing.
std::string cutInside(std::string_view name, bool midTag = false) {
    const std::size_t first = lineOf(r2018(), name);
    const std::size_t last = lineOf(r2018(), "ENDSEC", first);
    const std::size_t half = (first + last) / 2 & ~std::size_t{1};  // values sit on even lines
    return firstLines(r2018(), half + (midTag ? 1 : 0));
}

// The first group code of the first entity's second tag in the R2018 fixture.
std::size_t entityCodeLine() { return lineOf(r2018(), "ENTITIES") + 3; }

// The binary fixture up to the first tag of its ENTITIES section.
std::string binaryUpToEntities() {
    const std::string header(
        "\x02\x00"
        "ENTITIES\x00",
        11);
    return binary().substr(0, binary().find(header) + header.size());
}

const std::string kBinarySentinel("AutoCAD Binary DXF\r\n\x1a\x00", 22);

std::string utf16le(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) out += {c, '\0'};
    return out;
}

// ---- The table ------------------------------------------------------------------------------

struct Hostile {
    std::string name;
    // Puts the input into `folder` and returns the path to give; nothing when this machine cannot
    // make it.
    std::function<std::optional<std::string>(const fs::path& folder)> arrange;
    Errc expected;
    std::u16string detail;      // in the description besides the path
    bool unprivileged = false;  // as an ordinary user, for whom permissions apply
    std::u16string partName = kPartName;
    bool namesPath = true;
    std::function<void(const std::string& drawing)> tidy = {};  // undoes what rm cannot
};

void PrintTo(const Hostile& c, std::ostream* out) { *out << c.name; }

Hostile drawing(std::string name, std::string bytes, Errc expected, std::u16string detail) {
    return {std::move(name),
            [bytes = std::move(bytes)](const fs::path& folder) -> std::optional<std::string> {
                writeBytes(folder / "drawing.dxf", bytes);
                return (folder / "drawing.dxf").string();
            },
            expected, std::move(detail)};
}

Hostile path(std::string name, std::function<std::string(const fs::path&)> arrange, Errc expected,
             std::u16string detail) {
    return {std::move(name),
            [arrange = std::move(arrange)](const fs::path& folder) -> std::optional<std::string> {
                return arrange(folder);
            },
            expected, std::move(detail)};
}

bool setImmutable(const fs::path& file, bool on) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

std::vector<Hostile> hostileInputs() {
    const std::size_t code = entityCodeLine();
    const std::string binaryHead = binaryUpToEntities();
    const std::size_t entitiesAt = binaryHead.size();
    const std::string noEof = firstLines(r2018(), lineOf(r2018(), "EOF") - 1);
    const std::size_t entitiesName = lineOf(r2018(), "ENTITIES");
    const std::size_t blocksEnd = lineOf(r2018(), "ENDSEC", lineOf(r2018(), "BLOCKS"));

    std::vector<Hostile> cases = {
        // What is no DXF drawing at all.
        drawing("EmptyFile", "", Errc::kNotDxf, u"是空的"),
        drawing("DwgFile", std::string("AC1032\0\0\0\0\0\x01\x03\x1f\x25\x6d", 16), Errc::kDwg,
                u"DWG"),
        drawing("PngRenamed",
                std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06", 24),
                Errc::kNotDxf, u"不是 DXF 图形"),
        drawing("Utf16Text", utf16le(r2018().substr(0, 200)), Errc::kNotDxf, u"不是 DXF 图形"),
        drawing("ByteOrderMarkOnly", "\xEF\xBB\xBF", Errc::kNotDxf, u"不是 DXF 图形"),
        drawing(
            "OldMacLineEnds",
            [] {
                std::string text = r2018();
                std::replace(text.begin(), text.end(), '\n', '\r');
                return text;
            }(),
            Errc::kNotDxf, u"不是 DXF 图形"),
        drawing("FirstTagNotSection", "  0\nLINE\n  8\n0\n  0\nEOF\n", Errc::kNotDxf,
                u"不是 DXF 图形"),
        // Cut short: inside every section, inside a tag, before EOF.
        drawing("TruncatedInHeader", cutInside("HEADER"), Errc::kTruncated,
                atLine(lineCount(cutInside("HEADER")))),
        drawing("TruncatedInClasses", cutInside("CLASSES"), Errc::kTruncated,
                atLine(lineCount(cutInside("CLASSES")))),
        drawing("TruncatedInTables", cutInside("TABLES"), Errc::kTruncated,
                atLine(lineCount(cutInside("TABLES")))),
        drawing("TruncatedInBlocks", cutInside("BLOCKS"), Errc::kTruncated,
                atLine(lineCount(cutInside("BLOCKS")))),
        drawing("TruncatedInEntities", cutInside("ENTITIES"), Errc::kTruncated,
                atLine(lineCount(cutInside("ENTITIES")))),
        drawing("TruncatedInObjects", cutInside("OBJECTS"), Errc::kTruncated,
                atLine(lineCount(cutInside("OBJECTS")))),
        drawing("TruncatedInsideATag", cutInside("ENTITIES", true), Errc::kTruncated,
                atLine(lineCount(cutInside("ENTITIES", true)))),
        drawing("NoEndOfFile", noEof, Errc::kTruncated, atLine(lineCount(noEof))),
        drawing("GroupCodeOnly", "  0\n", Errc::kTruncated, atLine(1)),
        drawing("TruncatedBinary", binaryHead, Errc::kTruncated, atByte(entitiesAt)),
        drawing("BinarySentinelOnly", kBinarySentinel, Errc::kTruncated, atByte(22)),
        // Lengths that run past the end of a binary file.
        drawing("BinaryChunkLongerThanFile", binaryHead + std::string("\x36\x01\xFF", 3) + "short",
                Errc::kTruncated, atByte(entitiesAt)),
        drawing("BinaryStringWithoutEnd", binaryHead + std::string("\0\0LINE", 6), Errc::kTruncated,
                atByte(entitiesAt)),
        drawing("BinaryR12EscapeCutShort", kBinarySentinel + "\xFF\x01", Errc::kTruncated,
                atByte(22)),
        drawing("BinaryUnknownGroupCode", binaryHead + std::string("\xFF\xFF\0\0", 4),
                Errc::kMalformed, u"未知的组码 65535"),
        // Group codes that are no group codes.
        drawing("NonNumericGroupCode", withLine(r2018(), code, "abc"), Errc::kMalformed,
                atLine(code) + u"，组码“abc”不是整数"),
        drawing("GroupCodeAboveRange", withLine(r2018(), code, "99999"), Errc::kMalformed,
                atLine(code)),
        drawing("GroupCodeBelowRange", withLine(r2018(), code, "-40000"), Errc::kMalformed,
                atLine(code)),
        drawing("FractionalGroupCode", withLine(r2018(), code, "  8.5"), Errc::kMalformed,
                atLine(code)),
        drawing("EmptyGroupCodeLine", withLine(r2018(), code, ""), Errc::kMalformed, atLine(code)),
        drawing("GroupCodeWithNul",
                withLine(r2018(), code,
                         std::string("  \0"
                                     "8",
                                     4)),
                Errc::kMalformed, atLine(code)),
        drawing("HugeGroupCode", withLine(r2018(), code, std::string(400, '9')), Errc::kMalformed,
                atLine(code)),
        // Sections out of order.
        drawing("SectionWithoutName", withLine(r2018(), entitiesName - 1, "  0"), Errc::kMalformed,
                atLine(entitiesName - 1) + u"，SECTION 之后缺少段名"),
        drawing("SectionWithoutEnd", withoutLines(r2018(), blocksEnd - 1, 2), Errc::kMalformed,
                u"段“BLOCKS”没有以 ENDSEC 结束"),
        // Paths and files that are no drawing.
        path(
            "MissingFile", [](const fs::path& f) { return (f / "missing.dxf").string(); },
            Errc::kFileNotFound, u"文件不存在"),
        path(
            "MissingFolder", [](const fs::path& f) { return (f / "gone" / "a.dxf").string(); },
            Errc::kPathNotFound, u"文件夹不存在"),
        path(
            "FileUsedAsFolder",
            [](const fs::path& f) {
                return (copyFixture("titleblock_r12.dxf", f) / "a.dxf").string();
            },
            Errc::kPathNotFound, u"文件夹不存在"),
        path(
            "Folder",
            [](const fs::path& f) {
                fs::create_directory(f / "folder.dxf");
                return (f / "folder.dxf").string();
            },
            Errc::kFolder, u"文件夹"),
        path(
            "FifoWithoutWriter",
            [](const fs::path& f) {
                ::mkfifo((f / "fifo.dxf").c_str(), 0666);
                return (f / "fifo.dxf").string();
            },
            Errc::kNotDxf, u"是空的"),
        path(
            "LinkToDevice",
            [](const fs::path& f) {
                fs::create_symlink("/dev/zero", f / "zero.dxf");
                return (f / "zero.dxf").string();
            },
            Errc::kNotDxf, u"不是 DXF 图形"),
        path(
            "LinkLoop",
            [](const fs::path& f) {
                fs::create_symlink(f / "b.dxf", f / "a.dxf");
                fs::create_symlink(f / "a.dxf", f / "b.dxf");
                return (f / "a.dxf").string();
            },
            Errc::kInvalidName, u"文件名无效"),
        path(
            "DanglingLink",
            [](const fs::path& f) {
                fs::create_symlink(f / "nowhere.dxf", f / "link.dxf");
                return (f / "link.dxf").string();
            },
            Errc::kFileNotFound, u"文件不存在"),
        path(
            "NameTooLong",
            [](const fs::path& f) { return (f / (std::string(300, 'n') + ".dxf")).string(); },
            Errc::kNameTooLong, u"文件名太长"),
        path(
            "PathTooLong",
            [](const fs::path& f) {
                fs::path deep = f;
                for (int i = 0; i < 30; ++i) deep /= std::string(200, 'd');
                return (deep / "a.dxf").string();
            },
            Errc::kNameTooLong, u"文件名太长"),
        // Permissions, for an ordinary user.
        {.name = "NoReadPermission",
         .arrange = [](const fs::path& f) -> std::optional<std::string> {
             const std::string file = copyFixture("titleblock_r2010.dxf", f).string();
             fs::permissions(file, fs::perms::none);
             return file;
         },
         .expected = Errc::kAccessDenied,
         .detail = u"无法打开图形",
         .unprivileged = true},
        {.name = "ReadOnlyFileOnSave",
         .arrange = [](const fs::path& f) -> std::optional<std::string> {
             const std::string file = copyFixture("titleblock_r2004.dxf", f).string();
             fs::permissions(
                 file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
             return file;
         },
         .expected = Errc::kAccessDenied,
         .detail = u"无法保存图形",
         .unprivileged = true},
        {.name = "ReadOnlyFolderOnSave",
         .arrange = [](const fs::path& f) -> std::optional<std::string> {
             const std::string file = copyFixture("titleblock_r12.dxf", f).string();
             fs::permissions(file, fs::perms::all);
             fs::permissions(
                 f, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
             return file;
         },
         .expected = Errc::kAccessDenied,
         .detail = u"无法保存图形",
         .unprivileged = true},
        // Even root may not change an immutable file.
        {.name = "ImmutableFileOnSave",
         .arrange = [](const fs::path& f) -> std::optional<std::string> {
             const std::string file = copyFixture("titleblock_r2018.dxf", f).string();
             if (!setImmutable(file, true)) return std::nullopt;
             return file;
         },
         .expected = Errc::kAccessDenied,
         .detail = u"无法保存图形",
         .tidy = [](const std::string& file) { setImmutable(file, false); }},
        // A value the drawing's version cannot hold: R2000 takes 255 bytes, this is 600 in GBK.
        {.name = "ValueTooLong",
         .arrange = [](const fs::path& f)
             -> std::optional<std::string> { return copyFixture("titleblock_r2000_gbk.dxf", f); },
         .expected = Errc::kValueTooLong,
         .detail = u"超过此图形版本允许的 255 字节",
         .partName = std::u16string(300, u'长')},
    };
    // Names that cannot reach the file system: only the object model can be given them.
    cases.push_back({.name = "EmptyPath",
                     .arrange = [](const fs::path&) -> std::optional<std::string> { return ""; },
                     .expected = Errc::kInvalidName,
                     .detail = u"路径为空",
                     .namesPath = false});
    cases.push_back({.name = "PathWithNul",
                     .arrange = [](const fs::path& f) -> std::optional<std::string> {
                         return (f / std::string("part\0.dxf", 9)).string();
                     },
                     .expected = Errc::kInvalidName,
                     .detail = u"空字符（U+0000）",
                     .namesPath = false});
    return cases;
}

// ---- Running one ----------------------------------------------------------------------------

struct Failure {
    bool failed = false;
    std::int32_t number = 0;
    std::u16string description;
};

class Unwatched : public ops::BatchObserver {
public:
    void onDrawing(std::size_t, const std::u16string&, const ops::DrawingOutcome&) override {}
};

// The batch update of the window over the one drawing, with 零件名称 to write.
Failure batchFailure(const std::u16string& drawing, const std::u16string& partName) {
    const auto connector = cad::engine::makeEngineConnector();
    cli::TextFields fields;
    const cad::Connection connection = cad::startUp(*connector, fields, {});
    for (const int field : titleblock::fieldsInOrder()) fields.setText(field, u"");
    fields.setText(*titleblock::fieldForTag(kPartNameTag), partName);
    Unwatched unwatched;
    try {
        ops::batchUpdate(connection, {drawing}, fields, unwatched,
                         *cad::makePlatformDrawingFiles());
    } catch (const cad::Error& e) {
        return {true, e.number(), e.description()};
    }
    return {};
}

// The same as an ordinary user, in a child process that reports back through a pipe.
Failure unprivilegedBatchFailure(const std::u16string& drawing, const std::u16string& partName) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
    const int status = runWithoutPrivileges([&] {
        const Failure failure = batchFailure(drawing, partName);
        const std::string report = std::to_string(failure.failed) + "\n" +
                                   std::to_string(failure.number) + "\n" +
                                   base::utf16ToUtf8(failure.description);
        return ::write(channel[1], report.data(), report.size()) ==
                       static_cast<ssize_t>(report.size())
                   ? 0
                   : 1;
    });
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    if (status != 0) throw std::runtime_error("the unprivileged batch did not report");
    const std::size_t first = report.find('\n');
    const std::size_t second = report.find('\n', first + 1);
    return {report.substr(0, first) == "1",
            static_cast<std::int32_t>(std::stol(report.substr(first + 1, second - first - 1))),
            base::utf8ToUtf16(report.substr(second + 1))};
}

class HostileInput : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileInput, IsRefusedWithANumberedErrorAndNothingChanges) {
    const Hostile& c = GetParam();
    const TempFolder folder;
    const TempFolder valuesFolder;
    fs::permissions(folder.path(), fs::perms::all);  // the ordinary user works in it too
    fs::permissions(valuesFolder.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const std::optional<std::string> drawing = c.arrange(folder.path());
    if (!drawing) GTEST_SKIP() << "this file system cannot make the input";
    const struct Tidy {
        const Hostile& c;
        std::string drawing;
        ~Tidy() {
            if (c.tidy) c.tidy(drawing);
        }
    } tidy{c, *drawing};
    const FolderSnapshot before = snapshotOf(folder.path());

    const std::u16string given = base::utf8ToUtf16(*drawing);
    const Failure failure = c.unprivileged ? unprivilegedBatchFailure(given, c.partName)
                                           : batchFailure(given, c.partName);
    ASSERT_TRUE(failure.failed) << "the batch update succeeded";
    const std::string description = base::utf16ToUtf8(failure.description);
    EXPECT_EQ(failure.number, dxf::numberOf(c.expected)) << description;
    EXPECT_NE(failure.description.find(c.detail), std::u16string::npos) << description;
    if (c.namesPath) {
        EXPECT_NE(description.find(*drawing), std::string::npos) << description;
    }
    EXPECT_EQ(snapshotOf(folder.path()), before);

    if (drawing->find('\0') != std::string::npos) return;  // no argument can carry it
    const fs::path values = valuesFolder / "values.tsv";
    writeBytes(values, "零件名称\t" + base::utf16ToUtf8(c.partName) + "\n");
    fs::permissions(values, fs::perms::owner_all | fs::perms::others_read);
    ChildProcess cli(ZANDREL_CLI, {"apply", values.string(), *drawing},
                     {.input = {}, .unprivileged = c.unprivileged});
    const Ending ending = cli.wait(std::chrono::seconds(60));
    EXPECT_TRUE(ending.exited) << "ended by signal " << ending.signal << "\n" << ending.err;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(failure.number));
    std::error_code notFolder;
    if (fs::is_directory(*drawing, notFolder)) {
        // Named on the command line, a folder is a usage error before anything is opened.
        EXPECT_EQ(ending.status, 2);
        EXPECT_NE(ending.err.find("-r"), std::string::npos) << ending.err;
    } else {
        EXPECT_EQ(ending.status, 1);
        const std::string failed =
            "失败 failed: 错误 " + std::string(hex) + " (" + std::to_string(failure.number) +
            "): " + base::utf16ToUtf8(cli::escapeValue(failure.description)) + "\n";
        EXPECT_NE(ending.err.find(failed), std::string::npos) << ending.err;
    }
    EXPECT_EQ(snapshotOf(folder.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileInput, ::testing::ValuesIn(hostileInputs()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace testing_support
