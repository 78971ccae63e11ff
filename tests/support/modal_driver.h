#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

class QFileDialog;
class QMessageBox;

namespace testing_support {

// Answers the modal windows that an action opens, one after another, as a user would: each
// queued answer is given the next modal window that appears while the action runs. A modal window
// that no answer is left for fails the test and is closed, so that the test does not hang.
class ModalDriver {
public:
    using Answer = std::function<void(QWidget& modal)>;

    void then(Answer answer) { answers_.push_back(std::move(answer)); }
    // Runs `action`, which blocks in the modal windows' own event loops.
    void run(const std::function<void()>& action);
    // How many queued answers were never used because no modal window came for them.
    int unused() const { return static_cast<int>(answers_.size()); }

private:
    void poll();

    std::deque<Answer> answers_;
    QPointer<QWidget> answered_;
};

// What a message box showed.
struct Shown {
    QString title;
    QString text;
};

// Answers: note a message box's title and text and press its only button.
ModalDriver::Answer dismissMessage(std::vector<Shown>& seen);
// Answers: note a message box's title and text and press the button captioned `caption`.
ModalDriver::Answer pressButton(std::vector<Shown>& seen, const QString& caption);
// Answers: type `names` (one, or several each in double quotes) into a file dialog opened on
// `folder` and press Enter.
ModalDriver::Answer typeFileNames(const QString& folder, const QString& names);
// Answers: cancel a file dialog.
ModalDriver::Answer cancelDialog();
// Answers: wait until a file dialog on `folder` lists `atLeast` files, note the names of all
// it lists, then cancel.
ModalDriver::Answer listFiles(const QString& folder, int atLeast, QStringList& names);

}  // namespace testing_support
