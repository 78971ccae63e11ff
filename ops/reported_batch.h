#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/error.h"
#include "cad/startup.h"

namespace ops {

// The values one drawing is to receive, by field number. An empty value leaves the attributes
// with that tag alone.
struct DrawingJob {
    std::u16string path;
    std::map<int, std::u16string> values;
};

enum class DrawingResult {
    kSaved,         // at least one attribute changed, and the drawing was saved
    kUnchanged,     // every value was already there: nothing written, nothing saved
    kNoTitleBlock,  // no model-space attribute carries any of the 29 tags: nothing saved
    kFailed,
};

struct DrawingOutcome {
    DrawingResult result = DrawingResult::kUnchanged;
    int changed = 0;    // title-block attributes given a new value
    int unchanged = 0;  // title-block attributes left as they were
    std::optional<cad::Error> failure;
};

struct BatchOptions {
    bool dryRun = false;     // open and compare, but write and save nothing
    bool keepGoing = false;  // go on after a failing drawing instead of stopping there
};

// Told what the batch does, as it does it.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    // An attribute of `job`'s drawing whose value is replaced (in a dry run: would be).
    virtual void onChange(const DrawingJob& job, const std::u16string& tag,
                          const std::u16string& oldValue, const std::u16string& newValue) = 0;
    // The drawing `jobs[index]` is done with.
    virtual void onDrawing(std::size_t index, const DrawingJob& job,
                           const DrawingOutcome& outcome) = 0;
};

// The batch that says what it did: opens each drawing in turn, writes each value that differs
// from what an attribute with its tag holds, and saves only a drawing that changed. A failing
// drawing is reported and, unless `keepGoing`, ends the batch there: earlier drawings stay
// saved, later ones are not opened. Returns how many drawings were reported.
std::size_t runReportedBatch(const cad::Connection& connection, const std::vector<DrawingJob>& jobs,
                             const BatchOptions& options, BatchObserver& observer);

// The values of the title-block attributes of the drawing at `path`, by field (the later of two
// attributes with one tag wins); empty when it has none. Throws cad::Error.
std::map<int, std::u16string> readTitleBlockValues(const cad::Connection& connection,
                                                   const std::u16string& path);

}  // namespace ops
