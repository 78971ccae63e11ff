#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/object_model.h"
#include "cli/values_file.h"

namespace cli {

// Where a command writes: its result to `out`, messages and progress to `err`.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
};

// Each command runs start-up on `connector` first, as the window does, and throws cad::Error on
// the first failure after it.

// Prints the 29 fields after reading `drawing`, in field-number order: tag, tab, escaped value.
void readCommand(cad::Connector& connector, const std::u16string& drawing, Console& console);

// Writes `values` (fields not in it are "" and so not written) into every drawing, in order,
// saving each; progress goes to the error stream, a one-line summary to `out`. A list that would
// overwrite its own inputs throws ops::BatchListError before any drawing is opened.
void applyCommand(cad::Connector& connector, const FieldValues& values,
                  const std::vector<std::u16string>& drawings, const cad::DrawingFiles& files,
                  Console& console);

// Prints every model-space entity of `drawing`: index, tab, EntityName; under a block reference
// one line per attribute: two spaces, tag, tab, value (tag and value escaped).
void inspectCommand(cad::Connector& connector, const std::u16string& drawing, Console& console);

}  // namespace cli
