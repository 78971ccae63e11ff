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

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

std::optional<std::u16string> fromUtf8(std::string_view bytes) {
    std::u16string text = base::utf8ToUtf16(bytes);
    // The conversion puts U+FFFD in place of bad bytes, so they would not come back the same.
    if (base::utf16ToUtf8(text) != bytes) return std::nullopt;
    return text;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Nothing for an odd number of bytes or a surrogate without its partner.
std::optional<std::u16string> fromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            return std::nullopt;
        }
    }
    return text;
}

std::optional<std::u16string> fromCodePage(std::string_view bytes, const base::CodePageId& id) {
    const auto codePage = base::CodePage::open(id);
    if (!codePage) return std::nullopt;
    return codePage->decodeExactly(bytes);
}

std::optional<std::u16string> fromGbk(std::string_view bytes) {
    // Code page 936 is what Windows writes (€ as 0x80); GB18030 adds four-byte characters.
    if (auto text = fromCodePage(bytes, {936, "CP936"})) return text;
    return fromCodePage(bytes, {54936, "GB18030"});
}

std::optional<std::u16string> fromBig5(std::string_view bytes) {
    return fromCodePage(bytes, {950, "CP950"});
}

std::optional<std::u16string> fromUtf8OrGbk(std::string_view bytes) {
    if (auto text = fromUtf8(bytes)) return text;
    return fromGbk(bytes);
}

std::optional<std::u16string> fromUtf16LittleEndian(std::string_view bytes) {
    return fromUtf16(bytes, false);
}

std::optional<std::u16string> fromUtf16BigEndian(std::string_view bytes) {
    return fromUtf16(bytes, true);
}

// How to read a table's bytes, and how a message names that reading.
struct Reading {
    std::optional<std::u16string> (*decode)(std::string_view bytes);
    std::u16string_view shown;
};

// The reading for `bytes` in `encoding`: a byte-order mark, taken off `bytes`, chooses among the
// Unicode forms where the encoding allows it.
Reading readingOf(std::string_view& bytes, Encoding encoding) {
    const bool anyUnicode = encoding == Encoding::kAuto || encoding == Encoding::kUtf16;
    const struct {
        std::string_view mark;
        bool allowed;
        Reading reading;
    } marked[] = {
        {kUtf8Mark, anyUnicode || encoding == Encoding::kUtf8, {fromUtf8, u"UTF-8"}},
        {kUtf16LittleEndianMark, anyUnicode, {fromUtf16LittleEndian, u"UTF-16"}},
        {kUtf16BigEndianMark, anyUnicode, {fromUtf16BigEndian, u"UTF-16"}},
    };
    for (const auto& m : marked) {
        if (m.allowed && bytes.starts_with(m.mark)) {
            bytes.remove_prefix(m.mark.size());
            return m.reading;
        }
    }
    switch (encoding) {
        case Encoding::kUtf8:
            return {fromUtf8, u"UTF-8"};
        case Encoding::kUtf16:
            return {fromUtf16LittleEndian, u"UTF-16"};
        case Encoding::kGbk:
            return {fromGbk, u"GBK"};
        case Encoding::kBig5:
            return {fromBig5, u"Big5"};
        case Encoding::kAuto:
            break;
    }
    return {fromUtf8OrGbk, u"UTF-8 或 GBK"};
}

}  // namespace

std::optional<Encoding> encodingNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::pair<std::string_view, Encoding>, 12> kNames{{
        {"auto", Encoding::kAuto},
        {"utf-8", Encoding::kUtf8},
        {"utf8", Encoding::kUtf8},
        {"utf-16", Encoding::kUtf16},
        {"utf16", Encoding::kUtf16},
        {"unicode", Encoding::kUtf16},
        {"gbk", Encoding::kGbk},
        {"gb2312", Encoding::kGbk},
        {"gb18030", Encoding::kGbk},
        {"cp936", Encoding::kGbk},
        {"big5", Encoding::kBig5},
        {"cp950", Encoding::kBig5},
    }};
    const auto* found = std::find_if(kNames.begin(), kNames.end(),
                                     [&lower](const auto& entry) { return entry.first == lower; });
    if (found == kNames.end()) return std::nullopt;
    return found->second;
}

std::u16string decodeText(std::string_view bytes, Encoding encoding, const std::u16string& source) {
    const Reading reading = readingOf(bytes, encoding);
    if (auto text = reading.decode(bytes)) return *std::move(text);
    throw UsageError(cad::errc::kBadEncoding, source + u" 不是有效的 " +
                                                  std::u16string(reading.shown) +
                                                  u" 文本。可用 --encoding 指定它的编码。");
}

}  // namespace cli
