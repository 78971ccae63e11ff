#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "ops/batch.h"

namespace ops {

// The values one drawing is to receive, by field number. An empty value leaves the attributes
// with that tag alone.
struct DrawingJob {
    std::u16string path;
    std::map<int, std::u16string> values;
};

// The command line's batch (runBatch with SaveRule::kChangedDrawings): each drawing receives its
// job's values, each written only where it differs from what the attribute holds, and only a
// drawing that changed is saved. Returns how many drawings `observer` was told of.
std::size_t runReportedBatch(const cad::Connection& connection, const std::vector<DrawingJob>& jobs,
                             const BatchOptions& options, BatchObserver& observer,
                             const cad::DrawingFiles& files);

// The values of the title-block attributes of the drawing at `path`, by field (the later of two
// attributes with one tag wins); empty when it has none. Throws cad::Error.
std::map<int, std::u16string> readTitleBlockValues(const cad::Connection& connection,
                                                   const std::u16string& path);

}  // namespace ops
