#pragma once

#include <QPoint>
#include <QWidget>

namespace ui {

// A one-pixel solid line between two points of its parent, in the default foreground colour.
// It is a widget of its own so that it carries a name and a place like every other control.
class Line final : public QWidget {
public:
    Line(QWidget& parent, QPoint from, QPoint to);

    QPoint from() const { return from_; }
    QPoint to() const { return to_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint from_;
    QPoint to_;
};

}  // namespace ui
