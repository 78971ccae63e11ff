#include "cli/batch_run.h"

#include "cad/platform_connector.h"
#include "cli/batch_report.h"
#include "cli/cad_session.h"

namespace cli {

int runBatch(const std::vector<ops::DrawingJob>& jobs, const ops::BatchOptions& options,
             Console& console) {
    const auto files = cad::makePlatformDrawingFiles();
    const CadSession session(console);
    BatchReport report(console, jobs, options);
    const std::size_t reported =
        ops::runReportedBatch(session.connection(), jobs, options, report, *files);
    return report.finish(reported);
}

}  // namespace cli
