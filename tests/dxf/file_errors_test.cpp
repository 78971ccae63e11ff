// Failures of the file layer as the drawing library names them: the numbers and texts users see.

#include <gtest/gtest.h>

#include <string>

#include "base/hresult.h"
#include "dxf/error.h"
#include "storage/error.h"

namespace dxf {
namespace {

using base::hresult;

TEST(FileErrors, AreNamedAsTheDrawingsFailures) {
    const struct {
        const char* what;
        storage::Error failure;
        Errc code;
        std::int32_t number;
        std::u16string description;
    } cases[] = {
        {"missing file", storage::Error::system(2, storage::Action::kOpen, "/d/part.dxf"),
         Errc::kFileNotFound, hresult(0x80070002), u"无法打开图形“/d/part.dxf”：文件不存在。"},
        {"missing folder", storage::Error::system(3, storage::Action::kOpen, "/d/part.dxf"),
         Errc::kPathNotFound, hresult(0x80070003),
         u"无法打开图形“/d/part.dxf”：路径中的文件夹不存在。"},
        {"folder", storage::Error::system(336, storage::Action::kOpen, "/d/part.dxf"),
         Errc::kFolder, hresult(0x80070150),
         u"无法打开图形“/d/part.dxf”：这是一个文件夹，不是图形文件。"},
        {"full disk", storage::Error::system(112, storage::Action::kSave, "/d/part.dxf"),
         Errc::kDiskFull, hresult(0x80070070), u"无法保存图形“/d/part.dxf”：磁盘空间不足。"},
        {"a size the file system cannot set",
         storage::Error::system(50, storage::Action::kSave, "/d/part.dxf"), Errc::kNotSupported,
         hresult(0x80070032), u"无法保存图形“/d/part.dxf”：文件系统不支持此操作。"},
        {"a name taken", storage::Error::system(80, storage::Action::kSave, "/d/part.dxf"),
         Errc::kFileExists, hresult(0x80070050), u"无法保存图形“/d/part.dxf”：同名的文件已存在。"},
        {"a cause without words", storage::Error::system(1450, storage::Action::kSave, "/d/p.dxf"),
         Errc::kSystem, hresult(0x800705AA), u"无法保存图形“/d/p.dxf”：系统错误（代码 1450）。"},
        {"device", storage::Error::notRegularFile("/dev/zero"), Errc::kNotDxf,
         numberOf(Errc::kNotDxf), u"文件“/dev/zero”不是 DXF 图形。"},
        {"too large", storage::Error::tooLarge("/d/big.dxf", 9000, 8000), Errc::kFileTooLarge,
         hresult(0x800700DF),
         u"无法打开图形“/d/big.dxf”：文件太大，至少有 9000 字节，超过了本机能够打开的上限 8000 "
         u"字节（内存的一半）。"},
        {"read-only", storage::Error::readOnly("/d/part.dxf"), Errc::kReadOnly, hresult(0x80070005),
         u"无法保存图形“/d/part.dxf”：图形是只读的，没有保存，图形没有改变。"},
        {"locked", storage::Error::locked("/d/part.dxf"), Errc::kLocked, hresult(0x80040217),
         u"无法打开图形“/d/part.dxf”：图形正由另一程序编辑。请等它保存后再试，图形没有改变。"},
        {"no backup", storage::Error::noBackup("/d/part.dxf", "/d/part.bak"), Errc::kNoBackup,
         hresult(0x80040218),
         u"无法恢复图形“/d/part.dxf”：没有它的备份“/d/part.bak”，图形没有改变。"},
        {"replaced", storage::Error::replaced("/d/part.dxf"), Errc::kReplaced, hresult(0x8004021A),
         u"无法保存图形“/d/part.dxf”：图形在打开后被另一程序替换或改动，保存会覆盖另一程序的版本，"
         u"所以没有保存，图形没有改变。请重新打开后再试。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Error error = fileError(c.failure);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.number(), c.number);
        EXPECT_EQ(error.description(), c.description) << error.what();
    }
}

}  // namespace
}  // namespace dxf
