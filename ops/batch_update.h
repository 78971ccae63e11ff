#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "ops/batch.h"
#include "ops/progress.h"
#include "titleblock/fields.h"

namespace ops {

// The window's batch (runBatch with SaveRule::kEveryDrawing): writes every field that is not
// empty into the matching attributes of every block reference in each drawing's model space, and
// saves every drawing, changed or not. A field is read as its attribute is reached (with the
// built-in engine's workers: as the batch starts); the fields are the only store. `observer` is
// told of each drawing, in the order of the list.
// Throws the first failure: drawings before it stay saved, later ones are not opened (those
// already in a worker's hands are finished).
// A list that would overwrite its own inputs throws BatchListError before anything opens; a file
// listed again is not written again.
void batchUpdate(const cad::Connection& connection, const std::vector<std::u16string>& paths,
                 const titleblock::Fields& fields, BatchObserver& observer,
                 const cad::DrawingFiles& files);

// Shows a batch on the window's bar: once the list has passed its check, the maximum becomes the
// number of drawings (the value left by the operation before stays until then), and after each
// drawing done the value becomes the number done so far; a drawing that failed is not done.
class BatchProgress : public BatchObserver {
public:
    explicit BatchProgress(Progress& bar) : bar_(bar) {}
    void onStart(std::size_t drawings) override;
    void onDrawing(std::size_t index, const std::u16string& path,
                   const DrawingOutcome& outcome) override;

private:
    Progress& bar_;
    std::size_t done_ = 0;
};

}  // namespace ops
