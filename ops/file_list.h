#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ops/file_dialog.h"

namespace ops {

// Sets the dialog up for choosing several drawings, shows it and turns its result into
// `FileList` (index 0: the first token; 1..FileCount: full paths) and `FileCount`.
// Returns false, with FileCount = 0 and FileList untouched, when nothing was chosen.
bool selectFiles(FileDialog& dialog, std::vector<std::u16string>& FileList,
                 std::int32_t& FileCount);

}  // namespace ops
