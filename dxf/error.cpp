#include "dxf/error.h"

#include <algorithm>
#include <array>
#include <string>

#include "base/hresult.h"
#include "base/path_name.h"
#include "base/unicode.h"

namespace dxf {

namespace {

// The one table of numbers. System failures carry their Windows error code and the cause
// in words; the library's own failures build their descriptions below.
struct Row {
    Errc code;
    std::int32_t number;
    std::uint32_t win32Code;  // 0 for the library's own failures
    std::u16string_view cause;
};

constexpr std::array<Row, 29> kTable{{
    {Errc::kFileNotFound, base::hresultFromWin32(2), 2, u"文件不存在"},
    {Errc::kPathNotFound, base::hresultFromWin32(3), 3, u"路径中的文件夹不存在"},
    {Errc::kAccessDenied, base::hresultFromWin32(5), 5, u"没有访问权限"},
    {Errc::kFolder, base::hresultFromWin32(336), 336, u"这是一个文件夹，不是图形文件"},
    {Errc::kInvalidName, base::hresultFromWin32(123), 123, u"文件名无效"},
    {Errc::kNameTooLong, base::hresultFromWin32(206), 206, u"文件名太长"},
    {Errc::kTooManyOpenFiles, base::hresultFromWin32(4), 4, u"打开的文件太多"},
    {Errc::kOutOfMemory, base::hresultFromWin32(14), 14, u"内存不足"},
    {Errc::kWriteProtected, base::hresultFromWin32(19), 19, u"磁盘是只读的"},
    {Errc::kWriteFault, base::hresultFromWin32(29), 29, u"写入设备失败"},
    {Errc::kReadFault, base::hresultFromWin32(30), 30, u"读取设备失败"},
    {Errc::kSharingViolation, base::hresultFromWin32(32), 32, u"文件正被另一个程序使用"},
    {Errc::kDiskFull, base::hresultFromWin32(112), 112, u"磁盘空间不足"},
    {Errc::kFileTooLarge, base::hresultFromWin32(223), 223, u"文件太大"},
    {Errc::kNotSupported, base::hresultFromWin32(50), 50, u"文件系统不支持此操作"},
    {Errc::kFileExists, base::hresultFromWin32(80), 80, u"同名的文件已存在"},
    {Errc::kSystem, base::hresultFromWin32(31), 31, u"系统错误"},
    {Errc::kNotDxf, base::hresult(0x80040210), 0, {}},
    {Errc::kDwg, base::hresult(0x80040211), 0, {}},
    {Errc::kMalformed, base::hresult(0x80040212), 0, {}},
    {Errc::kTruncated, base::hresult(0x80040213), 0, {}},
    {Errc::kUnsupportedCodePage, base::hresult(0x80040214), 0, {}},
    {Errc::kAttributeNotWritable, base::hresult(0x80040215), 0, {}},
    {Errc::kValueTooLong, base::hresult(0x80040216), 0, {}},
    {Errc::kLocked, base::hresult(0x80040217), 0, {}},
    // Numbered as Windows numbers a read-only file it is asked to replace.
    {Errc::kReadOnly, base::hresultFromWin32(5), 0, {}},
    {Errc::kNoBackup, base::hresult(0x80040218), 0, {}},
    {Errc::kChangedOnDisk, base::hresult(0x80040219), 0, {}},
    {Errc::kReplaced, base::hresult(0x8004021A), 0, {}},
}};

const Row& rowOf(Errc code) {
    return *std::find_if(kTable.begin(), kTable.end(),
                         [code](const Row& r) { return r.code == code; });
}

Error make(Errc code, std::u16string description) {
    return {code, numberOf(code), std::move(description)};
}

std::u16string quoted(const std::filesystem::path& path) { return u"“" + displayName(path) + u"”"; }

std::u16string decimal(std::uint64_t n) { return base::utf8ToUtf16(std::to_string(n)); }

std::u16string at(Position kind, std::uint64_t position) {
    return kind == Position::kLine ? u"第 " + decimal(position) + u" 行"
                                   : u"字节偏移 " + decimal(position) + u" 处";
}

}  // namespace

Error::Error(Errc code, std::int32_t number, std::u16string description)
    : code_(code),
      number_(number),
      description_(std::move(description)),
      utf8_(base::utf16ToUtf8(description_)) {}

std::int32_t numberOf(Errc code) { return rowOf(code).number; }

std::u16string displayName(const std::filesystem::path& path) {
    // Bytes that are not UTF-8 show as \xHH, so two names that differ only there read apart.
    std::u16string name = base::visibleName(base::nameOf(path));
    std::replace(name.begin(), name.end(), u'\0', u'␀');
    return name;
}

namespace {

// The failures of the file layer, worded for a drawing.

Error systemError(std::uint32_t win32Code, FileAction action, const std::filesystem::path& path) {
    const auto row = std::find_if(kTable.begin(), kTable.end(), [win32Code](const Row& r) {
        return r.win32Code != 0 && r.win32Code == win32Code;
    });
    const std::u16string verb = action == FileAction::kOpen ? u"无法打开图形" : u"无法保存图形";
    if (row == kTable.end()) {
        const Row& system = rowOf(Errc::kSystem);
        return {Errc::kSystem, base::hresultFromWin32(win32Code),
                verb + quoted(path) + u"：" + std::u16string(system.cause) + u"（代码 " +
                    decimal(win32Code) + u"）。"};
    }
    return make(row->code, verb + quoted(path) + u"：" + std::u16string(row->cause) + u"。");
}

Error tooLargeError(const std::filesystem::path& path, std::uint64_t bytes, std::uint64_t limit) {
    return make(Errc::kFileTooLarge, u"无法打开图形" + quoted(path) + u"：文件太大，至少有 " +
                                         decimal(bytes) + u" 字节，超过了本机能够打开的上限 " +
                                         decimal(limit) + u" 字节（内存的一半）。");
}

Error lockedError(const std::filesystem::path& path) {
    return make(Errc::kLocked, u"无法打开图形" + quoted(path) +
                                   u"：图形正由另一程序编辑。请等它保存后再试，图形没有改变。");
}

Error readOnlyError(const std::filesystem::path& path) {
    return make(Errc::kReadOnly,
                u"无法保存图形" + quoted(path) + u"：图形是只读的，没有保存，图形没有改变。");
}

Error noBackupError(const std::filesystem::path& drawing, const std::filesystem::path& backup) {
    return make(Errc::kNoBackup, u"无法恢复图形" + quoted(drawing) + u"：没有它的备份" +
                                     quoted(backup) + u"，图形没有改变。");
}

Error replacedError(const std::filesystem::path& path) {
    return make(Errc::kReplaced, u"无法保存图形" + quoted(path) +
                                     u"：图形在打开后被另一程序替换或改动，保存会覆盖另一程序的"
                                     u"版本，所以没有保存，图形没有改变。请重新打开后再试。");
}

}  // namespace

Error fileError(const storage::Error& failure) {
    const std::filesystem::path& path = failure.path();
    switch (failure.failure()) {
        case storage::Failure::kNotRegularFile:
            // A device such as /dev/zero: no drawing, and never one to read to its end.
            return notDxfError(path, false, false);
        case storage::Failure::kTooLarge:
            return tooLargeError(path, failure.bytes(), failure.limit());
        case storage::Failure::kReadOnly:
            return readOnlyError(path);
        case storage::Failure::kLocked:
            return lockedError(path);
        case storage::Failure::kNoBackup:
            return noBackupError(path, failure.backup());
        case storage::Failure::kReplaced:
            return replacedError(path);
        case storage::Failure::kSystem:
            break;
    }
    return systemError(failure.win32Code(), failure.action(), path);
}

Error invalidNameError(const std::filesystem::path& path) {
    if (path.empty()) return make(Errc::kInvalidName, u"文件名无效：路径为空。");
    return make(Errc::kInvalidName, u"文件名" + quoted(path) + u"无效：其中含有空字符（U+0000）。");
}

Error notDxfError(const std::filesystem::path& path, bool dwg, bool empty) {
    if (dwg) {
        return make(Errc::kDwg, u"文件" + quoted(path) +
                                    u"是 DWG 图形：DWG 图形需要提供自动化接口的 CAD "
                                    u"应用程序才能打开，内置绘图引擎只能打开 DXF 图形。");
    }
    if (empty) return make(Errc::kNotDxf, u"文件" + quoted(path) + u"是空的，不是 DXF 图形。");
    return make(Errc::kNotDxf, u"文件" + quoted(path) + u"不是 DXF 图形。");
}

Error malformedError(const std::filesystem::path& path, Position kind, std::uint64_t position,
                     std::u16string_view detail) {
    return make(Errc::kMalformed, u"图形" + quoted(path) + u"格式错误：" + at(kind, position) +
                                      u"，" + std::u16string(detail) + u"。");
}

Error truncatedError(const std::filesystem::path& path, Position kind, std::uint64_t position) {
    return make(Errc::kTruncated, u"图形" + quoted(path) + u"不完整：文件在" + at(kind, position) +
                                      u"意外结束，缺少其余内容和结束标记 EOF。");
}

Error unsupportedCodePageError(const std::filesystem::path& path, std::string_view codePage) {
    return make(Errc::kUnsupportedCodePage, u"图形" + quoted(path) + u"使用的代码页“" +
                                                base::utf8ToUtf16(codePage) +
                                                u"”在本系统上不受支持。");
}

Error attributeNotWritableError(const std::filesystem::path& path, std::u16string_view tag,
                                std::u16string_view reason) {
    return make(Errc::kAttributeNotWritable, u"无法写入图形" + quoted(path) + u"中标记为“" +
                                                 std::u16string(tag) + u"”的属性：" +
                                                 std::u16string(reason) + u"，图形没有改变。");
}

Error valueTooLongError(const std::filesystem::path& path, std::u16string_view tag,
                        std::size_t bytes, std::size_t limit) {
    return make(Errc::kValueTooLong, u"无法写入图形" + quoted(path) + u"中标记为“" +
                                         std::u16string(tag) + u"”的属性：新值在文件中占 " +
                                         decimal(bytes) + u" 字节，超过此图形版本允许的 " +
                                         decimal(limit) + u" 字节，图形没有改变。");
}

Error changedOnDiskError(const std::filesystem::path& path) {
    return make(Errc::kChangedOnDisk, u"无法打开图形" + quoted(path) +
                                          u"：读取时图形被另一程序改动。请等它保存后再试，"
                                          u"图形没有改变。");
}

}  // namespace dxf
