#pragma once

#include <ostream>

namespace cli {

// Where a command writes: its result to `out`, messages and progress to `err`.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
};

}  // namespace cli
