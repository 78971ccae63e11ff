#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/error.h"

namespace ops {

// A list of drawings the batch cannot save without overwriting one of its own inputs or backups.
// It is found before any drawing is opened, so nothing has changed.
class BatchListError : public cad::Error {
public:
    using cad::Error::Error;
};

// Checks FileList[1..FileCount] (indexes past the list are left to the batch to report) and
// returns, by index, the earlier entry that leads to the same file (through a link, a second hard
// link or the same path again), or 0 where no earlier entry does: that file is written once.
// Throws BatchListError when saving one drawing would keep its previous version under the name
// or in the file of another listed drawing, or when two drawings would keep theirs under one
// name.
std::vector<std::size_t> checkBatchList(const std::vector<std::u16string>& FileList,
                                        std::int32_t FileCount, const cad::DrawingFiles& files);

// The error for one file listed twice with different values to write: which to keep is the
// user's choice, not the batch's.
BatchListError listedTwiceWithOtherValues(const std::u16string& first,
                                          const std::u16string& second);

}  // namespace ops
