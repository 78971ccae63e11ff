#pragma once

#include <cstddef>
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

// Checks a batch's paths and returns, for each, the index of the first path that leads to the
// same file (through a link, a second hard link or the same path again): its own index where no
// earlier path does. A file is written only at its first listing.
// Throws BatchListError when saving one drawing would keep its previous version under the name
// or in the file of another listed drawing, or when two drawings, listed or beside a listed one,
// would keep theirs under one name.
std::vector<std::size_t> checkBatchList(const std::vector<std::u16string>& paths,
                                        const cad::DrawingFiles& files);

// The error for one file listed twice with different values to write: which to keep is the
// user's choice, not the batch's.
BatchListError listedTwiceWithOtherValues(const std::u16string& first,
                                          const std::u16string& second);

// The error for one file listed twice to restore: the second exchange would undo the first.
BatchListError listedTwiceToRestore(const std::u16string& first, const std::u16string& second);

}  // namespace ops
