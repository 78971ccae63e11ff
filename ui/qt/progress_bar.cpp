#include "ui/qt/progress_bar.h"

#include <QProgressBar>
#include <cmath>

namespace ui {

namespace {

constexpr int kSteps = 10000;

// The filled share of the bar. A value at or past the maximum is a finished bar, so "0 of 0"
// (an empty model space) and a value left over from a longer earlier run show full.
float filledShare(float value, float max) {
    if (value >= max) return 1.0f;
    if (value > 0.0f) return value / max;
    return 0.0f;
}

}  // namespace

ProgressBar::ProgressBar(QProgressBar& bar) : bar_(bar) {
    bar_.setOrientation(Qt::Horizontal);
    bar_.setTextVisible(false);
    bar_.setRange(0, kSteps);
    show();
}

void ProgressBar::setMax(float max) {
    max_ = max;
    show();
}

void ProgressBar::setValue(float value) {
    value_ = value;
    show();
}

void ProgressBar::show() {
    // QProgressBar repaints at once, not queued, whenever the change shows: the operations hold
    // the user-interface thread, so a queued update would only be painted when they end.
    bar_.setValue(static_cast<int>(std::lround(filledShare(value_, max_) * kSteps)));
}

}  // namespace ui
