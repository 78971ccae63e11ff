#pragma once

#include <windows.h>

#include "ops/progress.h"

namespace win32 {

// The window's progress bar (a common-controls PROGRESS_CLASS) as the operations set it. The
// operations' maximum and value are whole counts carried as single-precision numbers; the bar's
// range is 0 to the maximum and its position the value, each rounded to the nearest integer, so
// the control itself holds what was set. A value past the maximum is held at it: a full bar.
class ProgressBar final : public ops::Progress {
public:
    explicit ProgressBar(HWND bar);

    void setMax(float max) override;
    void setValue(float value) override;

private:
    HWND bar_;
};

}  // namespace win32
