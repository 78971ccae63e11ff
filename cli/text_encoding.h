#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// How a table's bytes are to be read. Automatic: by the byte-order mark when there is one (UTF-8,
// UTF-16 LE or BE, as spreadsheets save "Unicode text"), else UTF-8 when they are valid UTF-8,
// else GBK, which spreadsheets on Chinese Windows save by default.
enum class Encoding { kAuto, kUtf8, kUtf16, kGbk, kBig5 };

// The encoding a name on the command line means ("auto", "utf-8", "utf-16", "gbk", "big5" and
// their spellings).
std::optional<Encoding> encodingNamed(std::string_view name);

// The text of `bytes` without a byte-order mark. GBK is read as Windows reads code page 936
// (€ is byte 0x80), and as GB18030 where it has four-byte characters; UTF-16 without a mark as
// little-endian. Throws UsageError naming `source` when they are not valid in the encoding.
std::u16string decodeText(std::string_view bytes, Encoding encoding, const std::u16string& source);

}  // namespace cli
