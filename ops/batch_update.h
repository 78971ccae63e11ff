#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "ops/progress.h"
#include "titleblock/fields.h"

namespace ops {

// Opens FileList[1..FileCount] in turn, writes every non-empty field into the matching
// attributes of every block reference in model space, saves each drawing and advances the bar.
// Throws cad::Error on the first failure: drawings before it stay saved, later ones are not opened.
// First the list is checked against `files` (checkBatchList): a list that would overwrite its own
// inputs is refused before anything is opened, and a file listed again is not written again.
void batchUpdate(const cad::Connection& connection, const std::vector<std::u16string>& FileList,
                 std::int32_t FileCount, Progress& progress, const titleblock::Fields& fields,
                 const cad::DrawingFiles& files);

}  // namespace ops
