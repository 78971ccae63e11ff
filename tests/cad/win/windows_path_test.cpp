#include "cad/win/windows_path.h"

#include <gtest/gtest.h>

#include "base/unicode.h"

namespace cad::automation {
namespace {

TEST(WindowsPath, NamesOneFileAsWindowsComparesPaths) {
    const struct {
        std::u16string_view a;
        std::u16string_view b;
        bool same;
    } cases[] = {
        {u"C:\\drawings\\a.dwg", u"C:\\drawings\\a.dwg", true},
        {u"C:\\drawings\\a.dwg", u"c:\\DRAWINGS\\A.DWG", true},
        {u"C:\\图纸\\批量 一.dwg", u"c:\\图纸\\批量 一.DWG", true},
        {u"C:\\drawings\\.\\old\\..\\a.dwg", u"C:\\drawings\\a.dwg", true},
        {u"C:/drawings/a.dwg", u"C:\\drawings\\a.dwg", true},
        {u"C:\\drawings\\a.dwg", u"C:\\drawings\\b.dwg", false},
        {u"C:\\drawings\\a.dwg", u"D:\\drawings\\a.dwg", false},
        {u"C:\\drawings\\批量 一.dwg", u"C:\\drawings\\批量 二.dwg", false},
        {u"", u"", false},  // a drawing never saved has no name, and is no file
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSamePath(c.a, c.b), c.same)
            << base::utf16ToUtf8(c.a) << " | " << base::utf16ToUtf8(c.b);
    }
}

}  // namespace
}  // namespace cad::automation
