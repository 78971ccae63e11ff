// The window's controls against the numbers of its design, written out here on their own so that
// a wrong row in the window's layout table fails.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <limits>
#include <memory>

#include "cad/platform_connector.h"
#include "scripted_cad.h"
#include "ui/qt/line.h"
#include "ui/qt/main_window.h"

namespace ui {
namespace {

int px(int twips) { return (twips * 2 + 15) / 30; }  // 15 twips a pixel, rounded

QRect pxRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

class MainWindowLayout : public ::testing::Test {
protected:
    frmTolm window{
        testing_support::scriptedConnector(std::make_shared<testing_support::CadScript>()),
        cad::makePlatformDrawingFiles()};
    QWidget* control(const char* name) const {
        return window.findChild<QWidget*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
    }
};

TEST_F(MainWindowLayout, WindowIsAFixedTitledFormWithAnIcon) {
    EXPECT_EQ(window.windowTitle(), "工艺相关栏目填写");
    EXPECT_EQ(window.minimumSize(), QSize(499, 266));
    EXPECT_EQ(window.maximumSize(), QSize(499, 266));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    const QList<QSize> sizes = window.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_EQ(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 70);
}

TEST_F(MainWindowLayout, LabelsAndButtonsStandWithTheirCaptions) {
    const struct {
        const char* name;
        const char* caption;
        QRect at;
    } labels[] = {
        {"Label7", "产品代号", pxRect(120, 240, 720, 180)},
        {"Label14", "零件名称", pxRect(2160, 240, 720, 180)},
        {"Label13", "零件代号", pxRect(5235, 240, 720, 180)},
        {"Label11", "版本号", pxRect(240, 680, 540, 180)},
        {"Label26", "更改通知号", pxRect(1440, 675, 900, 180)},
        {"Label16", "签 名", pxRect(3240, 675, 450, 180)},
        {"Label21", "日  期", pxRect(4200, 675, 540, 180)},
        {"Label1", "编制签字", pxRect(5520, 680, 720, 180)},
        {"Label2", "编制日期", pxRect(6480, 680, 720, 180)},
        {"Label3", "校对签字", pxRect(5520, 1410, 720, 180)},
        {"Label4", "校对时间", pxRect(6480, 1410, 720, 180)},
        {"Label5", "审核签字", pxRect(5520, 2140, 720, 180)},
        {"Label6", "审核时间", pxRect(6480, 2140, 720, 180)},
        {"Label8", "进度：", pxRect(120, 3600, 540, 180)},
    };
    for (const auto& l : labels) {
        const auto* label = qobject_cast<QLabel*>(control(l.name));
        ASSERT_NE(label, nullptr) << l.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(l.caption)) << l.name;
        EXPECT_EQ(label->geometry(), l.at) << l.name;
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << l.name;
    }
    const struct {
        const char* name;
        const char* caption;
        int left, width;
    } buttons[] = {
        {"Command1", "读取标准文件内容", 960, 1815},
        {"OKButton", "批量修改", 3120, 1215},
        {"CancelButton", "取消", 4680, 1215},
        {"Command2", "关于", 6120, 1095},
    };
    for (const auto& b : buttons) {
        const auto* button = qobject_cast<QPushButton*>(control(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(button->geometry(), pxRect(b.left, 3000, b.width, 375)) << b.name;
    }
    const auto* bar = qobject_cast<QProgressBar*>(control("ProgressBar1"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), pxRect(720, 3600, 6525, 180));
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
}

TEST_F(MainWindowLayout, FieldsStandInTheirGridCells) {
    struct Field {
        int number, left, top, width;
        bool header;
    };
    std::vector<Field> fields = {
        {21, 885, 195, 1095, true},   {22, 3015, 195, 1935, true},  {23, 6000, 195, 1095, true},
        {24, 5520, 1000, 735, false}, {25, 6480, 1000, 855, false}, {26, 5520, 1730, 735, false},
        {27, 6480, 1730, 855, false}, {28, 5520, 2460, 735, false}, {29, 6480, 2460, 855, false},
    };
    // The revision block: revision row 5 on top, the columns version, change notice, signature,
    // date; Text1 is the top of the version column.
    const int rowTops[] = {1000, 1365, 1730, 2095, 2460};
    const int columns[][2] = {{240, 495}, {960, 1935}, {3120, 735}, {4080, 855}};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 5; ++row) {
            fields.push_back({column * 5 + row + 1, columns[column][0], rowTops[row],
                              columns[column][1], false});
        }
    }
    ASSERT_EQ(fields.size(), 29u);
    for (const Field& f : fields) {
        const QString name = QStringLiteral("Text%1").arg(f.number);
        const auto* field = qobject_cast<QLineEdit*>(control(name.toUtf8().constData()));
        ASSERT_NE(field, nullptr) << name.toStdString();
        EXPECT_EQ(field->geometry(), pxRect(f.left, f.top, f.width, 270)) << name.toStdString();
        // The grid fields sit borderless in their cells; the header fields keep their frame.
        EXPECT_EQ(field->hasFrame(), f.header) << name.toStdString();
        EXPECT_EQ(field->maxLength(), std::numeric_limits<int>::max()) << "no length limit";
    }
}

TEST_F(MainWindowLayout, GridLinesArePaintedPointToPoint) {
    const struct {
        int x1, y1, x2, y2;
    } lines[] = {
        {5040, 600, 5040, 2760},  {120, 2760, 5040, 2760},  {5040, 600, 120, 600},
        {840, 600, 840, 2760},    {3000, 600, 3000, 2760},  {120, 960, 5040, 960},
        {120, 600, 120, 2760},    {3960, 600, 3960, 2760},  {120, 1320, 5040, 1320},
        {120, 1680, 5040, 1680},  {120, 2040, 5040, 2040},  {120, 2400, 5040, 2400},
        {5400, 600, 7440, 600},   {5400, 600, 5400, 2760},  {5400, 2760, 7440, 2760},
        {7440, 600, 7440, 2760},  {6360, 600, 6360, 2760},  {5400, 960, 7440, 960},
        {5400, 1320, 7440, 1320}, {5400, 1680, 7440, 1680}, {5400, 2040, 7440, 2040},
        {5400, 2400, 7440, 2400},
    };
    const QImage painted = window.grab().toImage();
    const QRgb ink = window.palette().color(QPalette::WindowText).rgb();
    int number = 0;
    for (const auto& l : lines) {
        const std::string name = "Line" + std::to_string(++number);
        const auto* line = dynamic_cast<ui::Line*>(control(name.c_str()));
        ASSERT_NE(line, nullptr) << name;
        const QPoint from(px(l.x1), px(l.y1));
        const QPoint to(px(l.x2), px(l.y2));
        EXPECT_EQ(line->from(), from) << name;
        EXPECT_EQ(line->to(), to) << name;
        // Both ends and a point a quarter of the way are inked; a pixel beside that point is not
        // (a quarter of the way meets no other line).
        const QPoint quarter = from + (to - from) / 4;
        const QPoint beside = quarter + (from.x() == to.x() ? QPoint(2, 0) : QPoint(0, 2));
        for (const QPoint p : {from, to, quarter}) {
            EXPECT_EQ(painted.pixel(p), ink) << name << " at " << p.x() << "," << p.y();
        }
        EXPECT_NE(painted.pixel(beside), ink) << name;
    }
}

}  // namespace
}  // namespace ui
