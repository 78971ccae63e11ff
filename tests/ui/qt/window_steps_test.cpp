// The window cases both toolkits share (tests/ui/shared/window_steps.txt), run through the Qt
// window, its real file dialog and the built-in engine; the table's script sets each case up and
// checks what the window showed and left.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <stdexcept>

#include "cad/platform_connector.h"
#include "child_process.h"
#include "files.h"
#include "modal_driver.h"
#include "ui/qt/main_window.h"

namespace ui {
namespace {

std::string oneLine(QString text) { return text.replace(u'\n', u'|').toStdString(); }

// Plays a case's steps on the Qt window and notes what it shows, as zandrel-window-driver does
// on the Win32 one.
class QtWindowDriver {
public:
    explicit QtWindowDriver(const QString& folder) : folder_(folder) {}

    std::vector<std::string> run(const std::vector<std::string>& steps) {
        int status = 0;
        QTimer::singleShot(0, [&] { play(steps); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            ADD_FAILURE() << "the program did not end";
            QCoreApplication::exit(-1);
        });
        guard.start(60000);
        user_.run([&] { status = QApplication::exec(); });
        EXPECT_EQ(user_.unused(), 0) << "a dialog the steps expect did not open";
        shown_.push_back("exit " + std::to_string(status));
        window_.reset();
        // Nothing the program showed outlives it, the About box included.
        EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
        return shown_;
    }

private:
    // Every step up to `exit`, which the event loop's end then answers.
    void play(const std::vector<std::string>& steps) {
        for (std::size_t i = 0; i < steps.size() && steps[i] != "exit"; ++i) {
            const std::string& step = steps[i];
            const auto argument = [&] { return QString::fromStdString(steps.at(++i)); };
            if (step == "start") {
                window_ = std::make_unique<frmTolm>(cad::makePlatformConnector(),
                                                    cad::makePlatformDrawingFiles());
                window_->show();
            } else if (step == "empty") {
                for (int number = 1; number <= 29; ++number) field(number)->clear();
            } else if (step == "set") {
                const int number = argument().toInt();
                field(number)->setText(argument());
            } else if (step == "click") {
                const QString name = argument();
                queueDialogs(steps, i);
                window_->findChild<QPushButton*>(name)->click();
            } else if (step == "field") {
                const int number = argument().toInt();
                shown_.push_back("Text" + std::to_string(number) + "=\"" +
                                 field(number)->text().toStdString() + "\"");
            } else if (step == "progress" || step == "bar") {
                const auto& bar = window_->progressBar();
                // What the control paints, too.
                const auto* shown = window_->findChild<QProgressBar*>("ProgressBar1");
                EXPECT_EQ(shown->value(), bar.max() > 0
                                              ? std::lround(bar.value() / bar.max() *
                                                            static_cast<float>(shown->maximum()))
                                              : 0);
                shown_.push_back("progress 0.." + std::to_string(static_cast<int>(bar.max())) +
                                 " at " + std::to_string(static_cast<int>(bar.value())));
            } else {
                ADD_FAILURE() << "unknown step " << step;
            }
        }
    }

    // Queues the answers for the dialog steps after `i` and moves past them.
    void queueDialogs(const std::vector<std::string>& steps, std::size_t& i) {
        while (i + 1 < steps.size() && queueDialog(steps, i)) continue;
    }
    bool queueDialog(const std::vector<std::string>& steps, std::size_t& i) {
        const std::string& step = steps[i + 1];
        if (step == "choose") {
            const QString names = QString::fromStdString(steps.at(i + 2));
            user_.then([this, names](QWidget& modal) {
                noteDialog(modal);
                testing_support::typeFileNames(folder_, names)(modal);
            });
            i += 2;
        } else if (step == "cancel") {
            user_.then([this](QWidget& modal) {
                noteDialog(modal);
                testing_support::cancelDialog()(modal);
            });
            i += 1;
        } else if (step == "message" || step == "answer") {
            const QString caption =
                step == "answer" ? QString::fromStdString(steps.at(i + 2)) : QString();
            user_.then([this, caption](QWidget& modal) {
                std::vector<testing_support::Shown> seen;
                testing_support::pressButton(seen, caption)(modal);
                for (const auto& message : seen)
                    shown_.push_back("message: " + oneLine(message.text));
            });
            i += step == "answer" ? 2 : 1;
        } else {
            return false;
        }
        return true;
    }

    void noteDialog(QWidget& modal) {
        const auto* dialog = qobject_cast<QFileDialog*>(&modal);
        const QString filter = dialog ? dialog->nameFilters().value(0) : QString();
        shown_.push_back("dialog: " + filter.left(filter.indexOf(" (")).toStdString());
    }

    QLineEdit* field(int number) const {
        return window_->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
    }

    QString folder_;
    testing_support::ModalDriver user_;
    std::vector<std::string> shown_;
    std::unique_ptr<frmTolm> window_;
};

// The table's own script: it reads the cases, sets their folders up and checks them.
testing_support::Ending windowSteps(const std::vector<std::string>& words,
                                    const std::string& input = {}) {
    std::vector<std::string> arguments{ZANDREL_WINDOW_STEPS};
    arguments.insert(arguments.end(), words.begin(), words.end());
    return testing_support::runProgram("/usr/bin/python3", arguments, {.input = input});
}

std::vector<std::string> caseNames() {
    const auto listed = windowSteps({"list"});
    if (listed.status != 0) throw std::runtime_error("cannot list the window cases: " + listed.err);
    return testing_support::linesOf(listed.out);
}

class WindowSteps : public ::testing::TestWithParam<std::string> {};

TEST_P(WindowSteps, ShowsAndLeavesWhatItsRowSays) {
    const std::string& name = GetParam();
    const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/图纸 folder-XXXXXX"));
    const QTemporaryDir kept;
    ASSERT_TRUE(folder.isValid() && kept.isValid());
    const std::string folderPath = folder.path().toStdString();
    const std::string keptPath = kept.path().toStdString();
    const auto setUp = windowSteps({"setup", name, folderPath, keptPath});
    ASSERT_EQ(setUp.status, 0) << setUp.err;
    const auto steps = testing_support::linesOf(windowSteps({"steps", name}).out);
    std::string shown;
    for (const std::string& line : QtWindowDriver(folder.path()).run(steps)) shown += line + '\n';
    const auto checked = windowSteps({"check", name, "qt", folderPath, keptPath}, shown);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
}

INSTANTIATE_TEST_SUITE_P(Table, WindowSteps, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& row) {
                             std::string name = row.param;
                             for (char& c : name) c = c == '-' ? '_' : c;
                             return name;
                         });

}  // namespace
}  // namespace ui
