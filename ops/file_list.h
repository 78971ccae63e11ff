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

// What a file dialog reports for the chosen files, all in `folder` (which ends in a separator)
// under `names`: nothing for none, the one path for one, and for several the folder followed by
// each name, every token after the first preceded by kFileSeparator.
std::u16string joinSelection(const std::u16string& folder,
                             const std::vector<std::u16string>& names);

// The first token of a dialog's result: the path, or after a multiple selection the folder.
std::u16string_view firstToken(std::u16string_view selection);

// Sets the dialog up for choosing several drawings, shows it and turns its result into
// `FileList` (index 0: the first token; 1..FileCount: full paths) and `FileCount`. The dialog's
// file name keeps the separator appended for the split.
// Returns false, with FileCount = 0 and FileList untouched, when nothing was chosen.
bool selectFiles(FileDialog& dialog, std::vector<std::u16string>& FileList,
                 std::int32_t& FileCount);

// The chosen drawings' paths, FileList[1..FileCount], as a batch takes them. Throws cad::Error
// when FileCount counts past the list, instead of reading past it.
std::vector<std::u16string> chosenPaths(const std::vector<std::u16string>& FileList,
                                        std::int32_t FileCount);

// Splits `S`, a dialog result with one kFileSeparator appended, into tokens. FileList becomes
// the first token followed by the first token joined directly to each later one (empty tokens
// included); a single token is the one path. Elements beyond those are dropped.
void parseFileList(std::u16string_view S, std::vector<std::u16string>& FileList,
                   std::int32_t& FileCount);

}  // namespace ops
