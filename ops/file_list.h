#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ops/file_dialog.h"

namespace ops {

// Separates the folder and the names in a multiple selection: no file name can hold it, so names
// and folders with spaces survive the split.
inline constexpr char16_t kFileSeparator = u'\0';

// Sets the dialog up for choosing several drawings, shows it and turns its result into
// `FileList` (index 0: the first token; 1..FileCount: full paths) and `FileCount`. The dialog's
// file name keeps the separator appended for the split.
// Returns false, with FileCount = 0 and FileList untouched, when nothing was chosen.
bool selectFiles(FileDialog& dialog, std::vector<std::u16string>& FileList,
                 std::int32_t& FileCount);

// Splits `S`, a dialog result with one kFileSeparator appended, into tokens. FileList becomes
// the first token followed by the first token joined directly to each later one (empty tokens
// included); a single token is the one path. Elements beyond those are dropped.
void parseFileList(std::u16string_view S, std::vector<std::u16string>& FileList,
                   std::int32_t& FileCount);

}  // namespace ops
