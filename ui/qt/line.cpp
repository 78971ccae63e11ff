#include "ui/qt/line.h"

#include <QPainter>
#include <QRect>

namespace ui {

Line::Line(QWidget& parent, QPoint from, QPoint to) : QWidget(&parent), from_(from), to_(to) {
    setGeometry(QRect(from, to).normalized());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1));
    painter.drawLine(from_ - pos(), to_ - pos());
}

}  // namespace ui
