#pragma once

#include <ostream>

#include "cad/connector_options.h"

namespace cli {

// Where a command writes: its result to `out`, messages and progress to `err`; and how it reaches
// the CAD application when it starts one.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
    cad::ConnectorOptions cad{};
};

}  // namespace cli
