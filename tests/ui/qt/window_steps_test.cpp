// The window cases both toolkits share (tests/ui/shared/window_steps.txt), run through the Qt
// window, its real file dialog and the built-in engine; ezdxf reads back what was saved.
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
#include <filesystem>
#include <map>

#include "cad/platform_connector.h"
#include "child_process.h"
#include "files.h"
#include "modal_driver.h"
#include "ui/qt/main_window.h"
#include "window_steps.h"

namespace testing_support {
void PrintTo(const WindowCase& row, std::ostream* out) { *out << row.name; }
}  // namespace testing_support

namespace ui {
namespace {

namespace fs = std::filesystem;
using testing_support::WindowCase;

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

class WindowSteps : public ::testing::TestWithParam<WindowCase> {
protected:
    fs::path at(const std::string& name) const {
        return fs::path(folder.path().toStdString()) / name;
    }

    void setUp(const std::vector<std::vector<std::string>>& setup) {
        for (const auto& row : setup) {
            if (row[0] == "drawing") {
                fs::copy_file(testing_support::fixturePath(row[2]), at(row[1]));
            } else if (row[0] == "blank" || row[0] == "drop") {
                std::vector<std::string> words{ZANDREL_EZDXF_EDIT_ATTRIBUTES, row[0],
                                               at(row[1]).string()};
                words.insert(words.end(), row.begin() + 2, row.end());
                const auto ending = testing_support::runProgram("/usr/bin/python3", words);
                ASSERT_EQ(ending.status, 0) << ending.err;
            } else if (row[0] == "junk") {
                testing_support::writeBytes(at(row[1]), "no drawing\n");
            }
            setUpBytes[row[1]] = testing_support::readBytes(at(row[1]));
        }
    }

    // What the row says the case leaves on disk.
    void expectLeft(const std::vector<std::string>& leaves) {
        const std::string& what = leaves[0];
        const std::string& name = leaves[1];
        if (what == "unchanged") {
            EXPECT_EQ(testing_support::readBytes(at(name)), setUpBytes[name]) << name;
        } else if (what == "absent") {
            EXPECT_FALSE(fs::exists(at(name))) << name;
        } else if (what == "backup") {
            const fs::path backup = at(name).replace_extension(".bak");
            EXPECT_EQ(testing_support::readBytes(backup), setUpBytes[name]) << name;
        } else if (what == "attribute") {
            const std::string wanted = leaves[2] + '\t' + leaves[3] + '\t' + leaves[4];
            std::vector<std::string> seen;
            auto& read = ezdxfRead[name];
            if (read.empty()) read = testing_support::ezdxfAttributeLines(at(name));
            for (const std::string& line : read) {
                const auto parts = QString::fromStdString(line).split(u'\t');
                if (parts.size() == 5 && (parts[0] + ' ' + parts[1]).toStdString() == leaves[2] &&
                    parts[3].toStdString() == leaves[3])
                    seen.push_back(parts[4].toStdString());
            }
            EXPECT_EQ(seen, std::vector<std::string>{leaves[4]}) << name << ' ' << wanted;
        } else {
            ADD_FAILURE() << "unknown check " << what;
        }
    }

    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/图纸 folder-XXXXXX")};
    std::map<std::string, std::string> setUpBytes;
    std::map<std::string, std::vector<std::string>> ezdxfRead;  // once a drawing
};

TEST_P(WindowSteps, ShowsAndLeavesWhatItsRowSays) {
    const WindowCase& row = GetParam();
    ASSERT_TRUE(folder.isValid());
    setUp(row.setup);
    const std::vector<std::string> shown = QtWindowDriver(folder.path()).run(row.steps);
    bool same = shown.size() == row.shows.size();
    for (std::size_t i = 0; same && i < shown.size(); ++i)
        same = testing_support::lineMatches(row.shows[i], shown[i]);
    std::string both = "expected:\n";
    for (const std::string& line : row.shows) both += "  " + line + '\n';
    both += "shown:\n";
    for (const std::string& line : shown) both += "  " + line + '\n';
    EXPECT_TRUE(same) << both;
    for (const auto& leaves : row.leaves) expectLeft(leaves);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowSteps,
                         ::testing::ValuesIn(testing_support::readWindowCases(ZANDREL_WINDOW_STEPS,
                                                                              "qt")),
                         [](const ::testing::TestParamInfo<WindowCase>& row) {
                             std::string name = row.param.name;
                             for (char& c : name) c = c == '-' ? '_' : c;
                             return name;
                         });

}  // namespace
}  // namespace ui
