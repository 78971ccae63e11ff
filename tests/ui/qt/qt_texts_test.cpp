// Qt's own texts in Chinese, and fields that show a text too wide for them in a tooltip.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/qt_translations.h"
#include "ui/qt/whole_text_tooltip.h"

namespace ui {
namespace {

TEST(QtTranslations, ShowTheDialogsOwnTextsInChinese) {
    ASSERT_TRUE(loadQtChineseTranslations(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("打开"));
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
}

TEST(WholeTextToolTip, AppearsOnlyWhileTheTextIsCut) {
    QLineEdit field;
    field.resize(60, 20);
    showWholeTextWhenCut(field);
    field.show();  // a hidden widget learns of its new size only when shown
    const QString wide = QStringLiteral("齿轮轴组件 第一级减速器 输出端");
    const struct {
        QString text;
        int width;
        QString toolTip;
    } steps[] = {
        {QStringLiteral(" "), 60, QString()},
        {wide, 60, wide},
        {QStringLiteral("轴"), 60, QString()},
        {wide, 60, wide},
        {wide, 2000, QString()},  // made wide enough, the tooltip goes
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text.toStdString());
        field.setText(step.text);
        field.resize(step.width, 20);
        EXPECT_EQ(field.toolTip(), step.toolTip);
    }
}

}  // namespace
}  // namespace ui
