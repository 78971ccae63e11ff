#include "ui/win32/progress_bar.h"

#include <commctrl.h>

#include <climits>
#include <cmath>

namespace win32 {

namespace {

int position(float value) {
    if (!(value > 0.0f)) return 0;  // negative or not a number
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    return static_cast<int>(std::lround(value));
}

}  // namespace

ProgressBar::ProgressBar(HWND bar) : bar_(bar) {
    SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
    SendMessageW(bar_, PBM_SETPOS, 0, 0);
}

// The operations hold the user-interface thread, so each change is painted at once rather than
// left for a WM_PAINT that would only come when they end.
void ProgressBar::setMax(float max) {
    SendMessageW(bar_, PBM_SETRANGE32, 0, position(max));
    UpdateWindow(bar_);
}

void ProgressBar::setValue(float value) {
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position(value)), 0);
    UpdateWindow(bar_);
}

}  // namespace win32
