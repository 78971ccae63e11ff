#include "ui/win32/open_file_dialog.h"

#include <gtest/gtest.h>

namespace win32 {
namespace {

using namespace std::string_literals;

TEST(Win32Filter, PairsEveryDescriptionWithItsPatternsAndEndsWithAnEmptyString) {
    const struct {
        std::u16string filter;
        bool listDxfForDwg;
        std::u16string expected;
    } cases[] = {
        {u"DWG file|*.dwg", false, u"DWG file\0*.dwg\0\0"s},
        {u"DWG Files|*.DWG", true, u"DWG Files\0*.DWG;*.DXF\0\0"s},
        {u"A|*.a|B|*.b; *.c", false, u"A\0*.a\0B\0*.b;*.c\0\0"s},
        {u"", true, u"\0"s},
    };
    for (const auto& c : cases) EXPECT_EQ(win32Filter(c.filter, c.listDxfForDwg), c.expected);
}

TEST(SelectionResult, OnePathAloneSeveralAsFolderWithSeparatorAndNames) {
    const struct {
        std::u16string buffer;
        std::size_t nameOffset;
        std::u16string expected;
    } cases[] = {
        {u"C:\\图纸 目录\\a 1.dwg\0\0"s, 9, u"C:\\图纸 目录\\a 1.dwg"},
        {u"C:\\图纸 目录\0a 1.dwg\0零件 2.dwg\0\0"s, 9, u"C:\\图纸 目录\\\0a 1.dwg\0零件 2.dwg"s},
        // The root folder already ends in a separator.
        {u"C:\\\0a.dwg\0b.dwg\0\0"s, 4, u"C:\\\0a.dwg\0b.dwg"s},
        {u"\0\0"s, 0, u""},
    };
    for (const auto& c : cases) EXPECT_EQ(selectionResult(c.buffer, c.nameOffset), c.expected);
}

}  // namespace
}  // namespace win32
