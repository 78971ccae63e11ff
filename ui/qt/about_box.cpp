#include "ui/qt/about_box.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>

#include "ui/shared/about_box_layout.h"
#include "ui/shared/twips.h"

namespace ui {

namespace {

// "黑体" where it is installed; otherwise the best CJK sans-serif there is, so that the title
// never shows empty boxes.
QFont titleFont() {
    QFont font;
    font.setFamilies({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(shared::kTitlePointSize);
    font.setBold(true);
    return font;
}

QRect pixelRect(const shared::AboutLabelRow& row) {
    return {shared::pixels(row.left), shared::pixels(row.top), shared::pixels(row.width),
            shared::pixels(row.height)};
}

}  // namespace

frmAbout::frmAbout() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(shared::kAboutCaption));
    setFixedSize(shared::pixels(shared::kAboutWidthTwips),
                 shared::pixels(shared::kAboutHeightTwips));

    for (const shared::AboutLabelRow& row : shared::kAboutLabels) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromUtf8(row.name));
        label->setText(QString::fromUtf8(row.text));
        if (row.face == shared::Face::Title) label->setFont(titleFont());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(row.colour));
        label->setPalette(palette);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(row.wraps);
        label->setGeometry(pixelRect(row));
        // The single-line labels size themselves to their text where it needs more room.
        if (!row.wraps) label->resize(label->size().expandedTo(label->sizeHint()));
    }
}

void frmAbout::mouseReleaseEvent(QMouseEvent* event) {
    // Any button: the box has nothing else a click could mean.
    if (rect().contains(event->position().toPoint())) close();
}

}  // namespace ui
