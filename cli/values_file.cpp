#include "cli/values_file.h"

#include <cstddef>
#include <optional>

#include "base/unicode.h"
#include "cad/error.h"
#include "cli/escape.h"
#include "cli/usage_error.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void fail(const std::u16string& source, std::size_t lineNumber,
                       std::u16string_view problem) {
    throw UsageError(cad::errc::kInvalidArgument,
                     u"值文件 " + source + u" 第 " + base::utf8ToUtf16(std::to_string(lineNumber)) +
                         u" 行：" + std::u16string(problem));
}

// The UTF-16 form of `bytes`, or nothing when they are not valid UTF-8 (the conversion would
// have put U+FFFD in place of the bad bytes, so the text would not come back the same).
std::optional<std::u16string> decodeStrict(std::string_view bytes) {
    std::u16string decoded = base::utf8ToUtf16(bytes);
    if (base::utf16ToUtf8(decoded) != bytes) return std::nullopt;
    return decoded;
}

}  // namespace

FieldValues parseValues(std::string_view text, const std::u16string& source) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    FieldValues values;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (raw.ends_with('\r')) raw.remove_suffix(1);
        if (raw.empty()) continue;

        const auto line = decodeStrict(raw);
        if (!line) fail(source, lineNumber, u"不是有效的 UTF-8 文本。");
        const std::size_t tab = line->find(u'\t');
        if (tab == std::u16string::npos) fail(source, lineNumber, u"缺少标记与值之间的制表符。");
        const std::u16string tag = line->substr(0, tab);
        const std::u16string_view escaped = std::u16string_view(*line).substr(tab + 1);
        if (escaped.find(u'\t') != std::u16string_view::npos) {
            fail(source, lineNumber, u"值中有未转义的制表符（应写作 \\t）。");
        }
        const auto value = unescapeValue(escaped);
        if (!value)
            fail(source, lineNumber, u"无效的转义序列：只允许 \\\\、\\t、\\n、\\r 和 \\xHH。");
        const auto field = titleblock::fieldForTag(tag);
        if (!field) fail(source, lineNumber, u"未知的标记“" + tag + u"”。");
        if (!values.emplace(*field, *value).second) {
            fail(source, lineNumber, u"标记“" + tag + u"”重复出现。");
        }
    }
    return values;
}

}  // namespace cli
