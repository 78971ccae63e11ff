#pragma once

#include "ops/progress.h"

class QProgressBar;

namespace ui {

// The window's progress bar as the operations set it: a maximum and a value as single-precision
// numbers, starting at 100 and 0. The bar shows their ratio on a fixed integer scale, since
// QProgressBar counts in int and would animate a "busy" bar for a maximum of 0.
class ProgressBar final : public ops::Progress {
public:
    explicit ProgressBar(QProgressBar& bar);

    void setMax(float max) override;
    void setValue(float value) override;

    float max() const { return max_; }
    float value() const { return value_; }

private:
    void show();

    QProgressBar& bar_;
    float max_ = 100.0f;
    float value_ = 0.0f;
};

}  // namespace ui
