#include "ui/qt/about_box.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

namespace ui {
namespace {

QLabel* label(const frmAbout& box, const char* name) {
    return box.findChild<QLabel*>(QString::fromUtf8(name));
}

TEST(AboutBox, IsABorderlessTopLevelWindowOfItsOwn) {
    const frmAbout box;
    EXPECT_EQ(box.objectName(), "frmAbout");
    EXPECT_EQ(box.parentWidget(), nullptr);
    EXPECT_TRUE(box.isWindow());
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(box.windowTitle(), "关于我的应用程序");
    EXPECT_EQ(box.size(), QSize(238, 103));  // 3570 x 1545 twips
    EXPECT_EQ(box.findChildren<QWidget*>().size(), 3);
}

TEST(AboutBox, LabelsStandWithTheirTextsAndColours) {
    const frmAbout box;
    const struct {
        const char* name;
        const char* text;
        QRect twips;
        QColor colour;
    } cases[] = {
        {"lblTitle", "Zandrel1.0", {600, 240, 2295, 285}, QColor(255, 0, 0)},
        {"lblDescription", "应用于天河CAD的标题栏填充", {600, 600, 2250, 180}, QColor(0, 128, 0)},
        {"Label1",
         "本软件为免费软件，如果有什么建议请写信ask@example.com",
         {600, 840, 2640, 420},
         QColor(0, 128, 0)},
    };
    for (const auto& c : cases) {
        const QLabel* l = label(box, c.name);
        ASSERT_NE(l, nullptr) << c.name;
        EXPECT_EQ(l->text(), QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(l->pos(), QPoint(c.twips.x() / 15, c.twips.y() / 15)) << c.name;
        // Single-line labels may grow to their text, never shrink below the layout.
        EXPECT_GE(l->width(), c.twips.width() / 15) << c.name;
        EXPECT_GE(l->height(), c.twips.height() / 15) << c.name;
        EXPECT_EQ(l->palette().color(QPalette::WindowText), c.colour) << c.name;
        EXPECT_EQ(l->focusPolicy(), Qt::NoFocus) << c.name;
    }
}

TEST(AboutBox, TitleIsBoldAtFourteenAndAQuarterPointsInAnInstalledFont) {
    const frmAbout box;
    const QFont font = label(box, "lblTitle")->font();
    EXPECT_TRUE(font.bold());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 14.25);
    const QFontInfo used(font);
    EXPECT_TRUE(font.families().contains(used.family())) << used.family().toStdString();
}

TEST(AboutBox, AddressLineWrapsIntoItsTwoLineBox) {
    const frmAbout box;
    const QLabel* line = label(box, "Label1");
    EXPECT_TRUE(line->wordWrap());
    EXPECT_EQ(line->geometry(), QRect(40, 56, 176, 28));
    const QFontMetrics metrics(line->font());
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, line->width(), 1000), Qt::TextWordWrap, line->text());
    EXPECT_EQ(needed.height() / metrics.lineSpacing(), 2)
        << "the address must not need a third line";
}

TEST(AboutBox, AClickOfAnyButtonAnywhereOnItClosesIt) {
    const struct {
        const char* target;  // a label, or nullptr for an empty spot
        QPoint emptySpot;
        Qt::MouseButton button;
    } cases[] = {
        {"lblTitle", {}, Qt::LeftButton},      {"lblDescription", {}, Qt::LeftButton},
        {"Label1", {}, Qt::LeftButton},        {nullptr, {5, 5}, Qt::LeftButton},
        {"lblTitle", {}, Qt::RightButton},     {"Label1", {}, Qt::MiddleButton},
        {nullptr, {230, 95}, Qt::RightButton}, {"lblDescription", {}, Qt::MiddleButton},
    };
    for (const auto& c : cases) {
        frmAbout box;
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        const QPoint at = c.target ? label(box, c.target)->geometry().center() : c.emptySpot;
        ASSERT_EQ(box.childAt(at), c.target ? label(box, c.target) : nullptr);
        // Through the window, as the platform delivers a click.
        QTest::mouseClick(box.windowHandle(), c.button, {}, at);
        EXPECT_FALSE(box.isVisible()) << (c.target ? c.target : "background") << ' ' << c.button;
    }
}

}  // namespace
}  // namespace ui
