#include "ui/qt/main_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <limits>
#include <map>

#include "ui/qt/line.h"
#include "ui/qt/pointing_hand_icon.h"
#include "ui/qt/whole_text_tooltip.h"
#include "ui/shared/main_window_layout.h"
#include "ui/shared/product.h"
#include "ui/shared/twips.h"

namespace ui {

namespace {

using shared::ControlKind;
using shared::ControlRow;
using shared::pixels;

// The built-in engine stands in for the CAD application wherever there is no automation
// interface, and its drawings are DXF.
#ifdef Q_OS_WIN
constexpr bool kEngineDrawsDxf = false;
#else
constexpr bool kEngineDrawsDxf = true;
#endif

QRect pixelRect(const std::array<int, 4>& twips) {
    return {pixels(twips[0]), pixels(twips[1]), pixels(twips[2]), pixels(twips[3])};
}

QWidget* makeControl(QWidget& window, const ControlRow& row) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(caption, &window);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::HeaderField:
        case ControlKind::GridField: {
            auto* field = new QLineEdit(caption, &window);
            field->setFrame(row.kind == ControlKind::HeaderField);
            // No limit: Qt's default of 32,767 would silently cut a longer value on read.
            field->setMaxLength(std::numeric_limits<int>::max());
            ui::showWholeTextWhenCut(*field);
            return field;
        }
        case ControlKind::Button:
            return new QPushButton(caption, &window);
        case ControlKind::ProgressBar:
            return new QProgressBar(&window);
        case ControlKind::Line:
            return new ui::Line(window, {pixels(row.twips[0]), pixels(row.twips[1])},
                                {pixels(row.twips[2]), pixels(row.twips[3])});
    }
    return nullptr;
}

}  // namespace

frmTolm::frmTolm(std::unique_ptr<cad::Connector> connector,
                 std::unique_ptr<cad::DrawingFiles> files)
    : controller_(*this, std::move(connector), std::move(files)),
      CommonDialog1(*this, kEngineDrawsDxf) {
    setObjectName(QStringLiteral("frmTolm"));
    setWindowTitle(QStringLiteral("工艺相关栏目填写"));
    setWindowIcon(pointingHandIcon());
    setFixedSize(pixels(shared::kClientWidthTwips), pixels(shared::kClientHeightTwips));
    // A fixed form: a title bar with the caption, minimise and close, but nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    controller_.startUp();
}

frmTolm::~frmTolm() = default;

void frmTolm::buildControls() {
    std::map<int, QWidget*> byTabIndex;
    for (const ControlRow& row : shared::kMainWindowLayout) {
        QWidget* control = makeControl(*this, row);
        control->setObjectName(QString::fromUtf8(row.name));
        if (row.kind != ControlKind::Line) control->setGeometry(pixelRect(row.twips));
        if (row.tabIndex >= 0) byTabIndex.emplace(row.tabIndex, control);
    }

    // Labels and the bar never take the focus; the rest follow their TabIndex, and the lowest
    // (OKButton) has the focus when the window opens.
    QWidget* previous = nullptr;
    for (const auto& [tabIndex, control] : byTabIndex) {
        if (control->focusPolicy() == Qt::NoFocus) continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        else
            control->setFocus();
        previous = control;
    }

    for (int field = 1; field <= titleblock::kFieldCount; ++field) {
        fields_.at(field - 1) = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(field));
    }
    ProgressBar1 = std::make_unique<ui::ProgressBar>(
        *findChild<QProgressBar*>(QStringLiteral("ProgressBar1")));

    const auto button = [this](const char* name) {
        return findChild<QPushButton*>(QString::fromUtf8(name));
    };
    connect(button("Command1"), &QPushButton::clicked, this,
            [this] { controller_.readTemplate(); });
    connect(button("OKButton"), &QPushButton::clicked, this, [this] { controller_.batchModify(); });
    connect(button("Command2"), &QPushButton::clicked, this, [this] { showAbout(); });
    // Ends the program at once: no question, nothing saved, and the About box goes with it.
    connect(button("CancelButton"), &QPushButton::clicked, this, [this] { end(0); });
}

std::u16string frmTolm::text(int field) const {
    return fields_.at(field - 1)->text().toStdU16String();
}

void frmTolm::setText(int field, const std::u16string& text) {
    QLineEdit* box = fields_.at(field - 1);
    box->setText(QString::fromStdU16String(text));
    // A value longer than its box shows from its start, not scrolled to its end.
    box->setCursorPosition(0);
}

void frmTolm::showMessage(const std::u16string& text, shared::MessageKind kind) {
    const QString title = QString::fromUtf8(shared::kProductName);
    switch (kind) {
        case shared::MessageKind::kNotice: {
            QMessageBox box(QMessageBox::NoIcon, title, QString::fromStdU16String(text),
                            QMessageBox::Ok);
            box.exec();
            return;
        }
        case shared::MessageKind::kOutcome:
            QMessageBox::information(this, title, QString::fromStdU16String(text));
            return;
        case shared::MessageKind::kFailure:
            QMessageBox::critical(this, title, QString::fromStdU16String(text));
            return;
    }
}

bool frmTolm::askToContinue(const std::u16string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(shared::kProductName),
                    QString::fromStdU16String(text), QMessageBox::NoButton, this);
    QPushButton* proceed = box.addButton(QStringLiteral("继续"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == proceed;
}

void frmTolm::end(int status) { QCoreApplication::exit(status); }

void frmTolm::showAbout() {
    if (!about_) about_ = std::make_unique<ui::frmAbout>();
    about_->show();
    about_->raise();
    about_->activateWindow();
}

}  // namespace ui
