#include "cli/text_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "base/code_page.h"
#include "base/unicode.h"
#include "cli/usage_error.h"

namespace cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::optional<std::u16string> fromUtf8(std::string_view bytes) {
    std::u16string text = base::utf8ToUtf16(bytes);
    // The conversion puts U+FFFD in place of bad bytes, so they would not come back the same.
    if (base::utf16ToUtf8(text) != bytes) return std::nullopt;
    return text;
}

std::optional<std::u16string> fromGbk(std::string_view bytes) {
    // GB18030 reads every GBK byte sequence the same and is what glibc names most reliably;
    // Windows knows GBK as code page 936.
    const auto gbk = base::CodePage::open({936, "GB18030"});
    if (!gbk) return std::nullopt;
    return gbk->decodeExactly(bytes);
}

[[noreturn]] void notValid(const std::u16string& source, std::u16string_view encoding) {
    throw UsageError(cad::errc::kBadEncoding, source + u" 不是有效的 " + std::u16string(encoding) +
                                                  u" 文本。可用 --encoding 指定它的编码。");
}

}  // namespace

std::optional<Encoding> encodingNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::pair<std::string_view, Encoding>, 7> kNames{{
        {"auto", Encoding::kAuto},
        {"utf-8", Encoding::kUtf8},
        {"utf8", Encoding::kUtf8},
        {"gbk", Encoding::kGbk},
        {"gb2312", Encoding::kGbk},
        {"gb18030", Encoding::kGbk},
        {"cp936", Encoding::kGbk},
    }};
    const auto* found = std::find_if(kNames.begin(), kNames.end(),
                                     [&lower](const auto& entry) { return entry.first == lower; });
    if (found == kNames.end()) return std::nullopt;
    return found->second;
}

std::u16string decodeText(std::string_view bytes, Encoding encoding, const std::u16string& source) {
    const bool marked = bytes.starts_with(kByteOrderMark);
    if (encoding == Encoding::kUtf8 || (encoding == Encoding::kAuto && marked)) {
        if (marked) bytes.remove_prefix(kByteOrderMark.size());
        if (auto text = fromUtf8(bytes)) return *std::move(text);
        notValid(source, u"UTF-8");
    }
    if (encoding == Encoding::kAuto) {
        if (auto text = fromUtf8(bytes)) return *std::move(text);
    }
    if (auto text = fromGbk(bytes)) return *std::move(text);
    notValid(source, encoding == Encoding::kAuto ? u"UTF-8 或 GBK" : u"GBK");
}

}  // namespace cli
