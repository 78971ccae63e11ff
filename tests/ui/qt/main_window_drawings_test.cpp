// Reading a template and the batch update through the real main window, its real file dialog and
// the built-in engine, on DXF files that ezdxf wrote; ezdxf also reads back what was saved.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>

#include "cad/platform_connector.h"
#include "child_process.h"
#include "files.h"
#include "modal_driver.h"
#include "titleblock/field_map.h"
#include "ui/qt/main_window.h"
#include "ui/shared/failure.h"

namespace ui {
namespace {

using testing_support::ModalDriver;
using testing_support::Shown;

const QString kFixtures = QStringLiteral(ZANDREL_FIXTURES);
const std::filesystem::path kPython = "/usr/bin/python3";

QString tagOf(int field) {
    return QString::fromStdU16String(std::u16string(titleblock::tagForField(field)));
}

// Runs a helper script; a test failure when it fails.
void runPython(const QStringList& arguments) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    const testing_support::Ending ending = testing_support::runProgram(kPython, words);
    EXPECT_EQ(ending.status, 0) << arguments.join(u' ').toStdString() << ": " << ending.err;
}

// What ezdxf reads of a drawing's attributes, keyed "space index tag".
std::map<QString, QString> ezdxfAttributes(const QString& path) {
    std::map<QString, QString> values;
    for (const auto& line : testing_support::ezdxfAttributeLines(path.toStdString())) {
        const QStringList parts = QString::fromStdString(line).split(u'\t');
        if (parts.size() == 5) values[parts[0] + ' ' + parts[1] + ' ' + parts[3]] = parts[4];
    }
    return values;
}

std::string bytesOf(const QString& path) { return testing_support::readBytes(path.toStdString()); }

// What the user puts in field n before a batch: "" and " " are distinct and both occur.
QString batchValue(int field) {
    if (field == 22) return QString();           // emptied: the attribute keeps its value
    if (field == 5) return QStringLiteral(" ");  // left at one space: written as one space
    return QStringLiteral("新值%1").arg(field);
}

class DrawingsThroughTheWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        user.run([this] {
            window = std::make_unique<frmTolm>(cad::makePlatformConnector(),
                                               cad::makePlatformDrawingFiles());
        });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_EQ(window->text(1), u" ") << "the built-in engine did not start";
    }

    QString copyFixture(const char* fixture, const QString& as) {
        const QString target = folder.filePath(as);
        EXPECT_TRUE(QFile::copy(kFixtures + '/' + QString::fromUtf8(fixture), target));
        return target;
    }
    QPushButton* button(const char* name) const {
        return window->findChild<QPushButton*>(QString::fromUtf8(name));
    }
    QLineEdit* field(int number) const {
        return window->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
    }
    // Presses a button whose operation is expected to end the program; its exit status.
    int pressEndingTheProgram(const char* name) {
        QTimer::singleShot(0, [this, name] { button(name)->click(); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        guard.start(60000);
        int status = 0;
        user.run([&] { status = QApplication::exec(); });
        return status;
    }
    void fillFieldsForBatch() {
        for (int n = 1; n <= titleblock::kFieldCount; ++n) field(n)->setText(batchValue(n));
    }
    // Queues what a batch of `names` in the folder shows after the dialog: the question the one
    // space of field 5 asks, answered 继续, and the message it ends with.
    void expectBatch(const QString& names) {
        user.then(testing_support::typeFileNames(folder.path(), names));
        user.then(testing_support::pressButton(questions, QStringLiteral("继续")));
        user.then(testing_support::dismissMessage(messages));
    }

    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/图纸 folder-XXXXXX")};
    ModalDriver user;
    std::vector<Shown> questions;
    std::vector<Shown> messages;
    std::unique_ptr<frmTolm> window;
};

// Named on the program's command line: the same read as through Command1 (window_steps.txt).
TEST_F(DrawingsThroughTheWindow, ACommandLineTemplateFillsTheFieldsFromTheLastInsertWithEachTag) {
    const QString drawing = copyFixture("titleblock_r2018.dxf", QStringLiteral("零件 一.dxf"));
    runPython({QStringLiteral(ZANDREL_EZDXF_EDIT_ATTRIBUTES), QStringLiteral("blank"), drawing,
               tagOf(21)});
    window->readTemplateFile(drawing.toStdU16String());

    for (int n = 1; n <= titleblock::kFieldCount; ++n) {
        const QString tag = tagOf(n);
        // An empty value clears its field; the part-info insert comes later and wins; the
        // paper-space title block and the multi-insert are not read.
        const QString expected = n == 21                ? QString()
                                 : (n == 22 || n == 23) ? "R2018/" + tag + "/乙"
                                                        : "R2018/" + tag + "/甲";
        EXPECT_EQ(field(n)->text(), expected) << n;
    }
    EXPECT_EQ(window->progressBar().max(), 9.0f);
    EXPECT_EQ(window->progressBar().value(), 9.0f);
}

TEST_F(DrawingsThroughTheWindow, ReadWalksADrawingOfFortyThousandEntitiesToItsEnd) {
    const QString drawing = folder.filePath(QStringLiteral("大 图.dxf"));
    runPython({kFixtures + QStringLiteral("/make_fixtures.py"), QStringLiteral("--large"), drawing,
               QStringLiteral("--entities"), QStringLiteral("40000")});
    user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("大 图.dxf")));
    user.run([this] { button("Command1")->click(); });

    EXPECT_EQ(field(1)->text(), "R2018/" + tagOf(1) + "/甲");
    EXPECT_EQ(field(29)->text(), "R2018/" + tagOf(29) + "/甲");
    EXPECT_EQ(window->progressBar().max(), 40000.0f);
    EXPECT_EQ(window->progressBar().value(), 40000.0f);
}

// The README's walk through examples/: read the template, start revision 2 in two fields, update
// the four part drawings; each keeps its own part name and code, which the template leaves empty.
TEST_F(DrawingsThroughTheWindow, TheExamplesWalkThroughUpdatesEveryPartKeepingItsOwnNameAndCode) {
    const struct {
        const char* file;
        const char* partName;
        const char* partCode;
        std::vector<int> titleBlocks;  // model-space indices
    } parts[] = {
        {"零件 01 底座.dxf", "底座", "ZD-100-01", {5}},
        {"part 02 轴.dxf", "轴", "ZD-100-02", {5}},
        {"零件 03 端盖 binary.dxf", "端盖", "ZD-100-03", {5}},
        {"零件 04 两个标题栏.dxf", "法兰", "ZD-100-04", {5, 6}},
    };
    const QDir examples(QStringLiteral(ZANDREL_EXAMPLES));
    QStringList names{QStringLiteral("标题栏模板.dxf")};
    for (const auto& part : parts) names << QString::fromUtf8(part.file);
    for (const QString& name : names) {
        ASSERT_TRUE(QFile::copy(examples.filePath(name), folder.filePath(name)))
            << name.toStdString();
    }

    user.then(testing_support::typeFileNames(folder.path(), names[0]));
    user.run([this] { button("Command1")->click(); });
    // The window, still open, leaves the template free for another program.
    const auto cliRead = [&](const QString& name) {
        return testing_support::runProgram(ZANDREL_CLI,
                                           {"read", folder.filePath(name).toStdString()});
    };
    const testing_support::Ending templateRead = cliRead(names[0]);
    EXPECT_EQ(templateRead.status, 0) << templateRead.err;
    EXPECT_NE(templateRead.out.find("产品代号\tZD-100\n"), std::string::npos) << templateRead.out;
    EXPECT_EQ(field(21)->text(), "ZD-100");
    EXPECT_EQ(field(5)->text(), "A");
    EXPECT_EQ(field(22)->text(), "") << "the template leaves the part name empty";
    EXPECT_EQ(field(23)->text(), "") << "the template leaves the part code empty";

    field(4)->setText(QStringLiteral("B"));            // 版本号2
    field(9)->setText(QStringLiteral("GT-2024-017"));  // 更改通知号2
    QStringList quoted;
    for (const QString& name : names.mid(1)) quoted << '"' + name + '"';
    user.then([&](QWidget& dialog) {
        // The dialog opens with the template chosen; a plain click on the first part replaces it.
        dialog.findChild<QListView*>(QStringLiteral("listView"))->clearSelection();
        testing_support::typeFileNames(folder.path(), quoted.join(u' '))(dialog);
    });
    user.then(testing_support::dismissMessage(messages));
    user.run([this] { button("OKButton")->click(); });
    ASSERT_EQ(user.unused(), 0);
    ASSERT_EQ(messages.size(), 1u) << "read the template first: nothing to ask";
    EXPECT_EQ(messages[0].text,
              "批量修改已完成：已保存 4 个，未改动 0 个，无标题栏 0 个，失败 0 个。");
    EXPECT_EQ(window->progressBar().value(), 4.0f);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("标题栏模板.bak"))));
    const testing_support::Ending partRead = cliRead(names[4]);
    EXPECT_EQ(partRead.status, 0) << partRead.err;
    EXPECT_NE(partRead.out.find("版本号2\tB\n"), std::string::npos) << partRead.out;

    for (const auto& part : parts) {
        const auto values = ezdxfAttributes(folder.filePath(QString::fromUtf8(part.file)));
        for (const int index : part.titleBlocks) {
            const auto at = [&](const char* tag) {
                const auto found = values.find(
                    QStringLiteral("model %1 %2").arg(index).arg(QString::fromUtf8(tag)));
                return found == values.end() ? QStringLiteral("<missing>") : found->second;
            };
            SCOPED_TRACE(std::string(part.file) + " insert " + std::to_string(index));
            EXPECT_EQ(at("版本号2"), "B");
            EXPECT_EQ(at("更改通知号2"), "GT-2024-017");
            EXPECT_EQ(at("版本号1"), "A");
            EXPECT_EQ(at("产品代号"), "ZD-100");
            EXPECT_EQ(at("零件名称"), QString::fromUtf8(part.partName));
            EXPECT_EQ(at("零件代号"), QString::fromUtf8(part.partCode));
            EXPECT_EQ(at("版本号3"), "");
        }
        EXPECT_TRUE(
            QFile::exists(folder.filePath(QString::fromUtf8(part.file).chopped(4) + ".bak")));
    }
}

TEST_F(DrawingsThroughTheWindow, ADrawingChosenWithItsBackupIsReportedBeforeAnythingOpens) {
    const QString drawing = copyFixture("titleblock_r2018.dxf", QStringLiteral("零件 x.dxf"));
    const QString backup = copyFixture("titleblock_r2010.dxf", QStringLiteral("零件 x.bak"));
    const std::string drawingBefore = bytesOf(drawing);
    const std::string backupBefore = bytesOf(backup);
    fillFieldsForBatch();
    expectBatch(QStringLiteral("\"零件 x.dxf\" \"零件 x.bak\""));

    EXPECT_EQ(pressEndingTheProgram("OKButton"), shared::kFailureExitCode);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("0x80040202")) << messages[0].text.toStdString();
    EXPECT_EQ(bytesOf(drawing), drawingBefore);
    EXPECT_EQ(bytesOf(backup), backupBefore);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(window->progressBar().value(), 0.0f);
}

TEST_F(DrawingsThroughTheWindow, AReadOfTwoFilesAfterABatchFailsWithAMessage) {
    copyFixture("titleblock_r2010.dxf", QStringLiteral("a.dxf"));
    copyFixture("titleblock_r2010.dxf", QStringLiteral("b.dxf"));
    user.then(testing_support::cancelDialog());
    user.run([this] { button("OKButton")->click(); });

    user.then(testing_support::typeFileNames(folder.path(), QStringLiteral("\"a.dxf\" \"b.dxf\"")));
    user.then(testing_support::dismissMessage(messages));
    EXPECT_EQ(pressEndingTheProgram("Command1"), shared::kFailureExitCode);
    ASSERT_EQ(messages.size(), 1u);
    // The whole result is taken as one path, which names both files and cannot be opened.
    EXPECT_TRUE(messages[0].text.contains("0x")) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains("b.dxf")) << messages[0].text.toStdString();
    EXPECT_EQ(field(1)->text(), " ") << "nothing was read";
}

}  // namespace
}  // namespace ui
