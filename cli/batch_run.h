#pragma once

#include <vector>

#include "cli/console.h"
#include "ops/reported_batch.h"

namespace cli {

// The batch of apply and import: starts the CAD application up, writes each job's values into
// its drawing and reports every drawing (batch_report.h). Returns the exit status. A list that
// would overwrite its own inputs throws ops::BatchListError before anything opens.
int runBatch(const std::vector<ops::DrawingJob>& jobs, const ops::BatchOptions& options,
             Console& console);

}  // namespace cli
