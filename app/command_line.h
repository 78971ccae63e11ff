#pragma once

#include <optional>
#include <string>

namespace app {

// What the command line asks of the window program: to start, with or without a template to
// read first, or to end at once with `exitStatus` after printing help, the version or a usage
// error. Decided before Qt starts, so that none of it needs a display.
struct StartRequest {
    std::optional<int> exitStatus;
    std::string templatePath;  // empty: start with the fields as start-up leaves them
};

StartRequest parseCommandLine(int argc, const char* const argv[]);

}  // namespace app
