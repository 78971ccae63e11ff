#pragma once

#include "ui/shared/failure.h"

class QWidget;

namespace ui {

using shared::describeFailure;
using shared::Failure;
using shared::kFailureExitCode;

// The program's top-level error report: shows the failure over `window` and, once the box is
// dismissed, ends the program with a non-zero status.
void reportFailureAndEnd(QWidget& window, const Failure& failure);

}  // namespace ui
