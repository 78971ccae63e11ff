#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The drawings that command-line operands name. A file stands for itself, as given. With
// `recursive` a folder stands for every *.dxf (in any case) below it, in sorted path order,
// without following the symbolic links met there (to folders or files); one that is no regular
// file (a FIFO) is a usage error, and so is a folder without `recursive`.
// Whether `name` ends in `extension` (".dxf", ".csv"), in any case of ASCII letters.
bool hasExtension(std::u16string_view name, std::u16string_view extension);

std::vector<std::u16string> drawingsNamed(const std::vector<std::u16string>& operands,
                                          bool recursive);

}  // namespace cli
