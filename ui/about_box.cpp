#include "ui/about_box.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <array>

namespace ui {

namespace {

constexpr int kTwipsPerPixel = 15;

enum class Face { Title, Default };

struct LabelRow {
    const char* name;
    const char* text;              // UTF-8
    int left, top, width, height;  // twips
    QRgb colour;
    Face face;
    bool wraps;
};

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kDarkGreen = 0x008000;

// In TabIndex order; none of them takes the focus.
constexpr std::array<LabelRow, 3> kLabels{{
    {"lblDescription", "应用于天河CAD的标题栏填充", 600, 600, 2250, 180, kDarkGreen, Face::Default,
     false},
    // The caption the design gives the box, whatever the release's version.
    {"lblTitle", "Zandrel1.0", 600, 240, 2295, 285, kRed, Face::Title, false},
    {"Label1", "本软件为免费软件，如果有什么建议请写信ask@example.com", 600, 840, 2640, 420,
     kDarkGreen, Face::Default, true},
}};

// "黑体" where it is installed; otherwise the best CJK sans-serif there is, so that the title
// never shows empty boxes.
QFont titleFont() {
    QFont font;
    font.setFamilies({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(14.25);
    font.setBold(true);
    return font;
}

QRect pixels(const LabelRow& row) {
    return {row.left / kTwipsPerPixel, row.top / kTwipsPerPixel, row.width / kTwipsPerPixel,
            row.height / kTwipsPerPixel};
}

}  // namespace

frmAbout::frmAbout() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于我的应用程序"));
    setFixedSize(3570 / kTwipsPerPixel, 1545 / kTwipsPerPixel);

    for (const LabelRow& row : kLabels) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromUtf8(row.name));
        label->setText(QString::fromUtf8(row.text));
        if (row.face == Face::Title) label->setFont(titleFont());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(row.colour));
        label->setPalette(palette);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(row.wraps);
        label->setGeometry(pixels(row));
        // The single-line labels size themselves to their text where it needs more room.
        if (!row.wraps) label->resize(label->size().expandedTo(label->sizeHint()));
    }
}

void frmAbout::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) close();
}

}  // namespace ui
