#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Keeps one value on one line of a tag-TAB-value file, and a terminal safe from it: backslash,
// tab, newline and carriage return become \\, \t, \n and \r, other control characters \xHH.
std::u16string escapeValue(std::u16string_view value);

// The escaped value in UTF-8, as the commands print it.
std::string shownValue(std::u16string_view value);

// The inverse (\xHH with either case of hex digit); nothing for a backslash followed by anything
// else or by nothing.
std::optional<std::u16string> unescapeValue(std::u16string_view escaped);

}  // namespace cli
