#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/stderr_progress.h"
#include "ops/reported_batch.h"

namespace cli {

// Reports a batch to the user: in a dry run one line per attribute that would change on
// standard output (path, tag, old and new value, tab-separated and escaped); one line per drawing
// on standard error, under a bar on a terminal; and a closing summary.
class BatchReport : public ops::BatchObserver {
public:
    BatchReport(Console& console, const std::vector<ops::DrawingJob>& jobs,
                const ops::BatchOptions& options);

    void onChange(const std::u16string& path, const std::u16string& tag,
                  const std::u16string& oldValue, const std::u16string& newValue) override;
    void onDrawing(std::size_t index, const std::u16string& path,
                   const ops::DrawingOutcome& outcome) override;

    // Lists the failures again after a batch that went on past them, prints the summary and
    // returns the exit status: 1 when a drawing failed, else 3 when one had no title block,
    // else 0.
    int finish(std::size_t reported);

private:
    Console& console_;
    std::size_t total_;
    ops::BatchOptions options_;
    std::vector<std::u16string> paths_;
    StderrProgress bar_;
    std::size_t counts_[4] = {};
    std::vector<std::string> failures_;
};

}  // namespace cli
