#include "ui/qt/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>
#include <stdexcept>

#include "cad/error.h"
#include "cad/platform_connector.h"
#include "modal_driver.h"
#include "scripted_cad.h"
#include "ui/shared/failure.h"

namespace ui {
namespace {

using testing_support::CadScript;
using testing_support::ModalDriver;
using testing_support::Shown;

QPushButton* button(const QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromUtf8(name));
}

QLineEdit* field(const QWidget& window, int number) {
    return window.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
}

QList<QWidget*> aboutBoxes() {
    QList<QWidget*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "frmAbout") boxes << w;
    }
    return boxes;
}

// Runs the program's event loop until something ends it, or `guardMs` passes.
int runEventLoop(int guardMs = 10000) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        ADD_FAILURE() << "the program did not end";
        QCoreApplication::exit(-1);
    });
    guard.start(guardMs);
    return QApplication::exec();
}

class MainWindowTest : public ::testing::Test {
protected:
    void start() {
        user.run([this] {
            window = std::make_unique<frmTolm>(testing_support::scriptedConnector(cad),
                                               cad::makePlatformDrawingFiles());
        });
    }
    void startShown() {
        start();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void makeFiles(const QStringList& names) {
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    std::u16string native(const QString& name) const {
        return QDir::toNativeSeparators(folder.filePath(name)).toStdU16String();
    }

    std::shared_ptr<CadScript> cad = std::make_shared<CadScript>();
    ModalDriver user;
    std::vector<Shown> messages;
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/图纸 folder-XXXXXX")};
    std::unique_ptr<frmTolm> window;
};

TEST_F(MainWindowTest, ConnectedStartBlanksEveryFieldAndLeavesTheBarEmpty) {
    start();
    for (int n = 1; n <= 29; ++n) {
        EXPECT_EQ(window->text(n), u" ") << n;
        EXPECT_EQ(field(*window, n)->text(), " ") << n;
    }
    const auto* bar = window->findChild<QProgressBar*>("ProgressBar1");
    EXPECT_EQ(bar->value(), bar->minimum());
    EXPECT_EQ(window->progressBar().max(), 100.0f);
    EXPECT_EQ(window->progressBar().value(), 0.0f);
}

TEST_F(MainWindowTest, AValueLongerThanItsBoxShowsFromItsStart) {
    start();
    window->setText(1, u"R2018/版本号5/甲");
    EXPECT_EQ(field(*window, 1)->text(), "R2018/版本号5/甲");
    EXPECT_EQ(field(*window, 1)->cursorPosition(), 0);
}

TEST_F(MainWindowTest, FieldsKeepValuesBeyondThirtyTwoThousandCharactersWhole) {
    startShown();
    const std::u16string read(40000, u'长');
    window->setText(22, read);
    EXPECT_EQ(window->text(22), read);

    // Typing on at the end of such a value is not refused either.
    field(*window, 22)->setFocus();
    field(*window, 22)->end(false);
    QTest::keyClicks(field(*window, 22), QStringLiteral("z"));
    EXPECT_EQ(window->text(22), read + u"z");
}

TEST_F(MainWindowTest, FailedStartShowsWhyAndKeepsTheDesignTimeTexts) {
    cad->reachable = false;
    user.then(testing_support::dismissMessage(messages));
    start();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Zandrel");
    EXPECT_EQ(messages[0].text, "没有可用的 CAD 应用程序（测试）");
    const std::map<int, std::u16string> samples = {
        {1, u"AA"},        {6, u"2003-017"}, {11, u"张三"},     {16, u"20030000"}, {21, u"Text21"},
        {22, u"Text21"},   {23, u"Text21"},  {24, u"张三"},     {25, u"20030000"}, {26, u"张三"},
        {27, u"20030000"}, {28, u"张三"},    {29, u"20030000"},
    };
    for (int n = 1; n <= 29; ++n) {
        const auto sample = samples.find(n);
        EXPECT_EQ(window->text(n), sample == samples.end() ? u"" : sample->second) << n;
    }

    // The window opens and runs all the same.
    window->show();
    QTimer::singleShot(50, [] { QCoreApplication::exit(42); });
    EXPECT_EQ(runEventLoop(), 42);
}

TEST_F(MainWindowTest, AStandInStartSaysWhyAndGoesOnConnected) {
    cad->standsIn = true;
    user.then(testing_support::dismissMessage(messages));
    start();

    EXPECT_EQ(user.unused(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Zandrel");
    EXPECT_EQ(messages[0].text, "无法启动 CAD 应用程序（测试）\n内置引擎代替它（测试）");
    for (int n = 1; n <= 29; ++n) EXPECT_EQ(window->text(n), u" ") << n;
}

TEST_F(MainWindowTest, TabRunsFromOkButtonThroughTheFieldsToCommand2AndBack) {
    startShown();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "OKButton");

    QStringList expected{"CancelButton"};
    for (int n = 1; n <= 29; ++n) expected << QStringLiteral("Text%1").arg(n);
    expected << "Command1"
             << "Command2"
             << "OKButton";
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
        // A field reached by Tab has its one space selected, so that typing replaces it.
        if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
            EXPECT_EQ(box->selectedText(), " ") << box->objectName().toStdString();
        }
    }
    EXPECT_EQ(visited, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ZD-200"));
    EXPECT_EQ(window->text(1), u"ZD-200");
}

TEST_F(MainWindowTest, EnterAndEscInAFieldPressNoButton) {
    startShown();
    int clicks = 0;
    for (const char* name : {"Command1", "OKButton", "CancelButton", "Command2"}) {
        EXPECT_FALSE(button(*window, name)->isDefault()) << name;
        EXPECT_FALSE(button(*window, name)->autoDefault()) << name;
        QObject::connect(button(*window, name), &QPushButton::clicked, [&clicks] { ++clicks; });
    }
    user.run([&] {
        for (const int n : {1, 21}) {
            field(*window, n)->setFocus();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(field(*window, n), key);
            }
        }
        QTest::qWait(50);
    });
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(aboutBoxes().isEmpty());
}

TEST_F(MainWindowTest, Command2ShowsOneAboutBoxThatAClickClosesAndTheNextClickReopens) {
    startShown();
    button(*window, "Command2")->click();
    button(*window, "Command2")->click();
    ASSERT_EQ(aboutBoxes().size(), 1);
    QWidget* box = aboutBoxes().front();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->parentWidget(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));

    QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                      box->findChild<QWidget*>("lblDescription")->geometry().center());
    EXPECT_FALSE(box->isVisible());

    button(*window, "Command2")->click();
    EXPECT_EQ(aboutBoxes(), QList<QWidget*>{box});
    EXPECT_TRUE(box->isVisible());
}

TEST_F(MainWindowTest, ButtonsWorkWhileTheAboutBoxIsOpenAndReopeningsShowTheSameTexts) {
    startShown();
    const auto clickOn = [](QWidget& topLevel, QWidget& control, Qt::MouseButton mouseButton) {
        QTest::mouseClick(topLevel.windowHandle(), mouseButton, {},
                          control.mapTo(&topLevel, control.rect().center()));
    };
    const auto texts = [](QWidget& box) {
        QStringList shown;
        for (const char* name : {"lblTitle", "lblDescription", "Label1"}) {
            shown << box.findChild<QLabel*>(QString::fromUtf8(name))->text();
        }
        return shown;
    };
    clickOn(*window, *button(*window, "Command2"), Qt::LeftButton);
    ASSERT_EQ(aboutBoxes().size(), 1);
    QWidget* box = aboutBoxes().front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    const QStringList first = texts(*box);
    EXPECT_TRUE(first[0].startsWith("Zandrel")) << first[0].toStdString();
    EXPECT_EQ(first[1], "应用于天河CAD的标题栏填充");
    EXPECT_TRUE(first[2].startsWith("本软件为免费软件，如果有什么建议请写信"));

    // Clicked with the mouse, as a user would, while the box stays open beside the window.
    user.then(testing_support::cancelDialog());
    user.then(testing_support::cancelDialog());
    user.run([&] {
        clickOn(*window, *button(*window, "Command1"), Qt::LeftButton);
        clickOn(*window, *button(*window, "OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(user.unused(), 0) << "a button did not open its dialog";
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(window->dialogSettings().flags, 512) << "the batch ran its file selection";

    for (const Qt::MouseButton closing : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        clickOn(*box, *box->findChild<QLabel*>("Label1"), closing);
        EXPECT_FALSE(box->isVisible());
        clickOn(*window, *button(*window, "Command2"), Qt::LeftButton);
        ASSERT_EQ(aboutBoxes(), QList<QWidget*>{box});
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        EXPECT_EQ(texts(*box), first);
    }
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgramOnceTheAboutBoxIsClickedAway) {
    startShown();
    bool runningWithOnlyTheBox = false;
    QTimer::singleShot(0, [this] {
        button(*window, "Command2")->click();
        window->close();
    });
    QTimer::singleShot(100, [&] {
        runningWithOnlyTheBox = true;
        QWidget* box = aboutBoxes().front();
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    });
    EXPECT_EQ(runEventLoop(), 0);
    EXPECT_TRUE(runningWithOnlyTheBox);
}

TEST_F(MainWindowTest, AFailureInAnOperationIsReportedAndEndsTheProgram) {
    makeFiles({"a.dxf", "b.dxf"});
    // Fails the walk of model space, after the open worked.
    const cad::Error lostEntity(cad::errc::kBadIndex, u"实体 1 已不存在");
    const struct {
        const char* button;
        QString names;
        std::function<void(const std::u16string&)> onOpen;
        std::optional<cad::Error> walkFailure;
        QStringList shows;
    } cases[] = {
        {"Command1",
         "a.dxf",
         nullptr,
         std::nullopt,
         {"0x80070002", "-2147024894",
          QStringLiteral("找不到图形文件：") + QString::fromStdU16String(native("a.dxf"))}},
        {"OKButton",
         "\"a.dxf\" \"b.dxf\"",
         nullptr,
         std::nullopt,
         {"0x80070002", QString::fromStdU16String(native("a.dxf"))}},
        {"OKButton",
         "\"a.dxf\" \"b.dxf\"",
         [](const std::u16string&) { throw std::runtime_error("broken"); },
         std::nullopt,
         {"0x80004005", "broken"}},
        {"Command1", "a.dxf", nullptr, lostEntity, {"0x8002000B", "实体 1 已不存在"}},
        {"OKButton", "\"a.dxf\" \"b.dxf\"", nullptr, lostEntity, {"0x8002000B", "实体 1 已不存在"}},
    };
    for (const auto& c : cases) {
        cad = std::make_shared<CadScript>();
        cad->onOpen = c.onOpen;
        cad->walkFailure = c.walkFailure;
        messages.clear();
        startShown();
        user.then(testing_support::typeFileNames(folder.path(), c.names));
        // Start-up's spaces: the batch asks first.
        std::vector<Shown> questions;
        if (c.button == std::string("OKButton"))
            user.then(testing_support::pressButton(questions, QStringLiteral("继续")));
        user.then(testing_support::dismissMessage(messages));
        QTimer::singleShot(0, [&] { button(*window, c.button)->click(); });
        int status = 0;
        user.run([&] { status = runEventLoop(); });

        EXPECT_EQ(status, shared::kFailureExitCode) << c.button;
        // The batch stops at its first drawing.
        EXPECT_EQ(cad->opened, std::vector<std::u16string>{native("a.dxf")}) << c.button;
        ASSERT_EQ(messages.size(), 1u) << c.button;
        EXPECT_EQ(messages[0].title, "Zandrel");
        for (const QString& part : c.shows) {
            EXPECT_TRUE(messages[0].text.contains(part)) << messages[0].text.toStdString();
        }
    }
}

TEST_F(MainWindowTest, BatchSettingsStayOnTheDialogForTheNextRead) {
    startShown();
    QFileDialog::FileMode readMode = QFileDialog::AnyFile;
    QStringList readFilters;
    user.then(testing_support::cancelDialog());
    user.then([&](QWidget& modal) {
        auto& dialog = static_cast<QFileDialog&>(modal);
        readMode = dialog.fileMode();
        readFilters = dialog.nameFilters();
        dialog.reject();
    });
    user.run([this] {
        button(*window, "OKButton")->click();
        button(*window, "Command1")->click();
    });

    EXPECT_EQ(user.unused(), 0);
    EXPECT_TRUE(cad->opened.empty()) << "nothing chosen, nothing opened";
    EXPECT_EQ(readMode, QFileDialog::ExistingFiles);
    EXPECT_EQ(readFilters, QStringList{"DWG Files (*.DWG *.DXF)"});
    EXPECT_EQ(window->dialogSettings().flags, 512);
    EXPECT_EQ(window->dialogSettings().filter, u"DWG Files|*.DWG");
    EXPECT_EQ(window->dialogSettings().maxFileSize, 10000);
    EXPECT_EQ(window->progressBar().value(), 0.0f);
}

}  // namespace
}  // namespace ui
