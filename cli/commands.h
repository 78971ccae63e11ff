#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cad/object_model.h"
#include "cli/values_file.h"
#include "ops/reported_batch.h"

namespace cli {

// Where a command writes: its result to `out`, messages and progress to `err`.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
};

// Each command that reads or writes drawings runs start-up on `connector` first, as the window
// does. Each returns its exit status (see batch_report.h); a failure outside the drawings (start-
// up, the output) throws cad::Error.

// Prints the 29 fields after reading `drawing`, in field-number order: tag, tab, escaped value.
// A drawing without any of the 29 tags is said so on the error stream, with status 3.
int readCommand(cad::Connector& connector, const std::u16string& drawing, Console& console);

// Prints every model-space entity of `drawing`: index, tab, EntityName; under a block reference
// one line per attribute: two spaces, tag, tab, value (tag and value escaped).
int inspectCommand(cad::Connector& connector, const std::u16string& drawing, Console& console);

// Writes each job's values into its drawing and reports every drawing (batch_report.h).
int batchCommand(cad::Connector& connector, const std::vector<ops::DrawingJob>& jobs,
                 const ops::BatchOptions& options, Console& console);

// The same values for every drawing.
std::vector<ops::DrawingJob> sameValuesFor(const std::vector<std::u16string>& drawings,
                                           const FieldValues& values);

// Prints (or writes to `outputFile`) the table of the drawings' title blocks, one row each.
int exportCommand(cad::Connector& connector, const std::vector<std::u16string>& drawings,
                  const std::optional<std::u16string>& outputFile, bool keepGoing,
                  Console& console);

// Undoes the last save of each drawing by trading it with its backup.
int restoreCommand(const std::vector<std::u16string>& drawings, Console& console);

}  // namespace cli
