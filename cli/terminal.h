#pragma once

#include <cstdio>

namespace cli {

// Whether `stream` is shown on a terminal (a bar can be redrawn there) rather than logged.
bool isTerminal(std::FILE* stream);

}  // namespace cli
