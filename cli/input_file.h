#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace cli {

// Values files and tables are small; anything larger is a mistake (a drawing, a device, an
// endless pipe), refused before it fills memory.
inline constexpr std::size_t kInputLimit = std::size_t{16} << 20;

// The bytes of the file `name` names ("-": standard input), read up to kInputLimit. Throws
// UsageError for a folder, a file that cannot be read, or more than kInputLimit bytes. `what`
// names the kind of file in the messages ("值文件", "表格").
std::string readInputFile(const std::u16string& name, std::u16string_view what);

// The same from an open stream; `shownAs` names it in the messages.
std::string readBounded(std::istream& in, const std::u16string& shownAs, std::u16string_view what);

}  // namespace cli
