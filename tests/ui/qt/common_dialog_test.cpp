#include "ui/qt/common_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/unicode.h"
#include "modal_driver.h"

namespace ui {
namespace {

using testing_support::ModalDriver;
using testing_support::Shown;

class CommonDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* name :
             {"a.DWG", "b.dwg", "c.dxf", "D.DXF", "e.txt", "part 1.dxf", "零件 2.dxf"}) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
    std::u16string native(const QString& p) const {
        return QDir::toNativeSeparators(p).toStdU16String();
    }

    // A folder with a space and Chinese in its name.
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/图纸 folder-XXXXXX")};
    QWidget owner;
    CommonDialog dialog{owner, true};
    ModalDriver user;
};

TEST_F(CommonDialogTest, FirstShowIsASingleSelectionModalToTheWindow) {
    user.then([this](QWidget& modal) {
        auto& shown = static_cast<QFileDialog&>(modal);
        EXPECT_EQ(shown.parentWidget(), &owner);
        EXPECT_TRUE(shown.isModal());
        EXPECT_EQ(shown.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(shown.nameFilters(), QStringList{"DWG file (*.dwg *.dxf)"});
        testing_support::typeFileNames(folder.path(), QStringLiteral("part 1.dxf"))(modal);
    });
    user.run([this] { dialog.showOpen(); });

    EXPECT_EQ(user.unused(), 0);
    EXPECT_EQ(dialog.settings().fileName, native(path("part 1.dxf")));
}

TEST_F(CommonDialogTest, SeveralFilesComeBackAsTheFolderThenNamesSeparatedByNul) {
    dialog.settings().flags = ops::kAllowMultiSelect;
    user.then(testing_support::typeFileNames(folder.path(),
                                             QStringLiteral("\"part 1.dxf\" \"零件 2.dxf\"")));
    user.run([this] { dialog.showOpen(); });

    const std::u16string expected =
        native(folder.path() + u'/') + u'\0' + u"part 1.dxf" + u'\0' + u"零件 2.dxf";
    EXPECT_EQ(dialog.settings().fileName, expected);
}

TEST_F(CommonDialogTest, OneFileOfAMultipleSelectionComesBackAsItsFullPath) {
    dialog.settings().flags = ops::kAllowMultiSelect;
    user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("\"c.dxf\"")));
    user.run([this] { dialog.showOpen(); });

    EXPECT_EQ(dialog.settings().fileName, native(path("c.dxf")));
}

TEST_F(CommonDialogTest, ANameWithUFFFDIsThatFileNeverOneWhoseBytesAreNotUtf8) {
    // Qt reads names as UTF-8 and leaves out those that are not; the one it shows as caf�.dxf
    // is the file really named so, and its bytes come back unchanged.
    const std::string folderBytes = QFile::encodeName(folder.path()).toStdString();
    for (const char* name : {"/caf\xE9.dxf", "/caf\xEF\xBF\xBD.dxf"}) {
        std::ofstream(std::filesystem::path(folderBytes + name)) << name;
    }
    user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("caf\uFFFD.dxf")));
    user.run([this] { dialog.showOpen(); });

    EXPECT_EQ(base::utf16ToNameBytes(dialog.settings().fileName),
              folderBytes + "/caf\xEF\xBF\xBD.dxf");
}

TEST_F(CommonDialogTest, CancellingLeavesAnEmptyFileName) {
    dialog.settings().fileName = native(path("c.dxf"));
    user.then(testing_support::cancelDialog());
    user.run([this] { dialog.showOpen(); });

    EXPECT_EQ(user.unused(), 0);
    EXPECT_EQ(dialog.settings().fileName, u"");
}

TEST_F(CommonDialogTest, AResultLongerThanTheLongestResultIsRefusedWithAMessage) {
    dialog.settings().maxFileSize = 10;
    std::vector<Shown> messages;
    user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("c.dxf")));
    user.then(testing_support::dismissMessage(messages));
    user.run([this] { dialog.showOpen(); });

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Zandrel");
    EXPECT_TRUE(messages[0].text.contains("0x800A4FFC")) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("上限 10 个字符")));
    EXPECT_EQ(dialog.settings().fileName, u"");
}

TEST_F(CommonDialogTest, AResultExactlyAsLongAsTheLongestResultIsTakenOneMoreIsNot) {
    const std::u16string chosen = native(path("零件 2.dxf"));
    const struct {
        int longest;
        std::u16string result;
        std::size_t messages;
    } cases[] = {
        {static_cast<int>(chosen.size()), chosen, 0},
        {static_cast<int>(chosen.size()) - 1, u"", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.longest);
        dialog.settings().maxFileSize = c.longest;
        std::vector<Shown> messages;
        user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("零件 2.dxf")));
        if (c.messages != 0) user.then(testing_support::dismissMessage(messages));
        user.run([this] { dialog.showOpen(); });

        EXPECT_EQ(user.unused(), 0);
        EXPECT_EQ(messages.size(), c.messages);
        EXPECT_EQ(dialog.settings().fileName, c.result);
    }
}

TEST_F(CommonDialogTest, ListsDrawingsRegardlessOfCaseAndDxfBesideDwg) {
    const struct {
        bool listDxfForDwg;
        QStringList listed;
    } cases[] = {
        {true, {"D.DXF", "a.DWG", "b.dwg", "c.dxf", "part 1.dxf", "零件 2.dxf"}},
        {false, {"a.DWG", "b.dwg"}},
    };
    for (const auto& c : cases) {
        CommonDialog shown(owner, c.listDxfForDwg);
        shown.settings().filter = u"DWG Files|*.DWG";
        QStringList listed;
        user.then(
            testing_support::listFiles(folder.path(), static_cast<int>(c.listed.size()), listed));
        user.run([&] { shown.showOpen(); });

        EXPECT_EQ(listed, c.listed);
        // What the operations set reads back as they set it.
        EXPECT_EQ(shown.settings().filter, u"DWG Files|*.DWG");
    }
}

}  // namespace
}  // namespace ui
