#include "ui/qt/file_dialog_text.h"

#include <gtest/gtest.h>

#include <QDir>

namespace ui {
namespace {

TEST(QtNameFilters, TurnsDescriptionPatternPairsIntoQtFilters) {
    const struct {
        const char* filter;
        bool listDxfForDwg;
        QStringList expected;
    } cases[] = {
        {"DWG file|*.dwg", false, {"DWG file (*.dwg)"}},
        {"DWG file|*.dwg", true, {"DWG file (*.dwg *.dxf)"}},
        {"DWG Files|*.DWG", true, {"DWG Files (*.DWG *.DXF)"}},
        {"Drawings|*.dwg;*.DXF", true, {"Drawings (*.dwg *.DXF)"}},
        {"A|*.a|B|*.b; *.c", true, {"A (*.a)", "B (*.b *.c)"}},
        {"Text|*.txt", true, {"Text (*.txt)"}},
        {"", true, {}},
        {"No pattern", true, {}},
        {"Empty|", true, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qtNameFilters(QString::fromUtf8(c.filter), c.listDxfForDwg), c.expected)
            << c.filter;
    }
}

TEST(SelectionResult, OnePathAloneSeveralAsFolderAndNulSeparatedNames) {
    const QChar nul(u'\0');
    const struct {
        QStringList paths;
        QString expected;
    } cases[] = {
        {{}, ""},
        {{"/图纸 目录/part 1.dxf"}, "/图纸 目录/part 1.dxf"},
        {{"/图纸 目录/part 1.dxf", "/图纸 目录/零件 2.dxf"},
         QString("/图纸 目录/") + nul + "part 1.dxf" + nul + "零件 2.dxf"},
        {{"/a.dxf", "/b.dxf"}, QString("/") + nul + "a.dxf" + nul + "b.dxf"},
        // A name typed with a folder part still leads to its file from the common folder.
        {{"/d/a.dxf", "/d/sub/b.dxf"}, QString("/d/") + nul + "a.dxf" + nul + "sub/b.dxf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(selectionResult(c.paths), QDir::toNativeSeparators(c.expected))
            << c.paths.join(u',').toStdString();
    }
}

}  // namespace
}  // namespace ui
