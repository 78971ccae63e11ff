#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/error.h"

namespace ops {

// Told how each drawing's restore went: its index in the list, and the failure that left it as it
// was, if there was one.
using RestoreObserver =
    std::function<void(std::size_t index, const std::optional<cad::Error>& failure)>;

// Undoes the last save of each drawing, `workers` at once, through the backend that keeps the
// backups: the drawing trades places with its backup, so that restoring it again redoes the save.
// A drawing that cannot be restored stays as it is and the others are still restored. The
// observer is told on the calling thread, in the order of the list. A list that names one file
// twice, or that checkBatchList() refuses, throws BatchListError before any is restored.
void restoreLastSaves(const cad::DrawingFiles& files, const std::vector<std::u16string>& drawings,
                      std::size_t workers, const RestoreObserver& onDrawing);

}  // namespace ops
