#include "ui/qt/whole_text_tooltip.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>

namespace ui {

namespace {

// QLineEdit keeps this many pixels free on each side of its text.
constexpr int kInnerMargin = 2;

bool fits(const QLineEdit& field) {
    const QMargins margins = field.textMargins();
    const int room =
        field.contentsRect().width() - margins.left() - margins.right() - 2 * kInnerMargin;
    return field.fontMetrics().horizontalAdvance(field.text()) <= room;
}

void update(QLineEdit& field) { field.setToolTip(fits(field) ? QString() : field.text()); }

// Looks again when the field's size or font changes: the same text may then fit or not.
class Refit : public QObject {
public:
    explicit Refit(QLineEdit& field) : QObject(&field), field_(field) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange) update(field_);
        return false;
    }

private:
    QLineEdit& field_;
};

}  // namespace

void showWholeTextWhenCut(QLineEdit& field) {
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&field] { update(field); });
    field.installEventFilter(new Refit(field));
    update(field);
}

}  // namespace ui
