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

// What a read of one drawing's title block found.
struct TitleBlockRead {
    std::map<int, std::u16string> values;  // by field; empty when it has none
    // With layouts, the tags met again with a value other than the one kept, each once.
    std::vector<std::u16string> differing;
};

// The values of the title-block attributes of the drawing at `path`. Of model space alone, the
// later of two attributes with one tag wins; with `layouts`, whose title block may be in several
// places, the first one met wins and the tags found again with other values are listed. Throws
// cad::Error.
TitleBlockRead readTitleBlockValues(const cad::Connection& connection, const std::u16string& path,
                                    bool layouts);

}  // namespace ops
