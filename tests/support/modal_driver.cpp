#include "modal_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace testing_support {

void ModalDriver::run(const std::function<void()>& action) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    timer.start();
    action();
}

void ModalDriver::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == answered_ || !modal->isVisible()) return;
    answered_ = modal;
    if (answers_.empty()) {
        ADD_FAILURE() << "an unexpected " << modal->metaObject()->className() << " opened";
        modal->close();
        return;
    }
    const Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(*modal);
}

namespace {

QFileDialog* fileDialog(QWidget& modal) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    if (!dialog) {
        ADD_FAILURE() << "expected a file dialog, got " << modal.metaObject()->className();
        modal.close();
    }
    return dialog;
}

}  // namespace

ModalDriver::Answer dismissMessage(std::vector<Shown>& seen) { return pressButton(seen, {}); }

ModalDriver::Answer pressButton(std::vector<Shown>& seen, const QString& caption) {
    return [&seen, caption](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << modal.metaObject()->className();
            modal.close();
            return;
        }
        seen.push_back({box->windowTitle(), box->text()});
        const QList<QAbstractButton*> buttons = box->buttons();
        const auto pressed = std::find_if(buttons.begin(), buttons.end(), [&](auto* button) {
            return caption.isEmpty() ? buttons.size() == 1 : button->text() == caption;
        });
        if (pressed == buttons.end()) {
            ADD_FAILURE() << "no button " << caption.toStdString() << " among " << buttons.size();
            modal.close();
            return;
        }
        (*pressed)->click();
    };
}

ModalDriver::Answer typeFileNames(const QString& folder, const QString& names) {
    return [folder, names](QWidget& modal) {
        QFileDialog* dialog = fileDialog(modal);
        if (!dialog) return;
        dialog->setDirectory(folder);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(names);
        QPushButton* open = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                                ->button(QDialogButtonBox::Open);
        EXPECT_TRUE(open->isEnabled()) << "the dialog does not accept " << names.toStdString();
        open->isEnabled() ? open->click() : dialog->reject();
    };
}

ModalDriver::Answer cancelDialog() {
    return [](QWidget& modal) {
        if (QFileDialog* dialog = fileDialog(modal)) dialog->reject();
    };
}

ModalDriver::Answer listFiles(const QString& folder, int atLeast, QStringList& names) {
    return [folder, atLeast, &names](QWidget& modal) {
        QFileDialog* dialog = fileDialog(modal);
        if (!dialog) return;
        dialog->setDirectory(folder);
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        const auto listed = [view] {
            QStringList shown;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row) {
                const QModelIndex index = view->model()->index(row, 0, root);
                // A name the filter rules out may be shown greyed; that is not listing it.
                if (view->model()->flags(index) & Qt::ItemIsEnabled)
                    shown << index.data().toString();
            }
            return shown;
        };
        // The file-system model fills in from a thread of its own.
        EXPECT_TRUE(QTest::qWaitFor([&] { return listed().size() >= atLeast; }, 5000));
        QTest::qWait(100);
        names = listed();
        names.sort();
        dialog->reject();
    };
}

}  // namespace testing_support
