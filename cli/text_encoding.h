#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// How a table's bytes are to be read. Automatic: UTF-8 (with or without byte-order mark) when
// they are valid UTF-8, else GBK, which spreadsheets on Chinese Windows save by default.
enum class Encoding { kAuto, kUtf8, kGbk };

// The encoding a name on the command line means ("auto", "utf-8", "gbk" and their spellings).
std::optional<Encoding> encodingNamed(std::string_view name);

// The text of `bytes` without a byte-order mark. Throws UsageError naming `source` when they
// are not valid in the encoding.
std::u16string decodeText(std::string_view bytes, Encoding encoding, const std::u16string& source);

}  // namespace cli
