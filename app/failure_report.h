#pragma once

#include <QString>
#include <cstdint>
#include <exception>

class QWidget;

namespace app {

// A failure that ended an operation, as the user is told of it.
struct Failure {
    std::int32_t number;
    QString description;
};

// The number and description of whatever escaped an operation: a CAD failure as itself, any
// other exception under a general number.
Failure describeFailure(const std::exception_ptr& escaped);

// The program's top-level error report: shows the failure over `window` and, once the box is
// dismissed, ends the program with a non-zero status.
void reportFailureAndEnd(QWidget& window, const Failure& failure);

inline constexpr int kFailureExitCode = 1;

}  // namespace app
