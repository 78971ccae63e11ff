#include "dxf/text_codec.h"

#include <algorithm>

#include "base/unicode.h"

namespace dxf {

namespace {

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// The value of exactly four hex digits at `at`, or nothing.
std::optional<unsigned> hex4(std::u16string_view text, std::size_t at) {
    if (at + 4 > text.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

bool isUnicodeEscape(std::u16string_view text, std::size_t at) {
    return text.substr(at, 3) == u"\\U+" && hex4(text, at + 3);
}

bool isMultibyteEscape(std::u16string_view text, std::size_t at) {
    return text.substr(at, 3) == u"\\M+" && at + 3 < text.size() && text[at + 3] >= u'1' &&
           text[at + 3] <= u'5' && hex4(text, at + 4);
}

void appendUnicodeEscape(std::string& out, char16_t unit) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(unit >> shift) & 0xF]);
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

bool storesUtf8(std::string_view acadVersion) { return acadVersion >= "AC1021"; }

TextCodec::TextCodec(std::shared_ptr<const base::CodePage> codePage, const CodePageUse& use)
    : codePage_(std::move(codePage)), use_(use) {}

std::optional<TextCodec> TextCodec::forDrawing(std::string_view acadVersion,
                                               std::string_view codePage,
                                               std::string& unsupported) {
    static constexpr std::string_view kUtf8 = "UTF-8";
    if (storesUtf8(acadVersion)) return TextCodec(nullptr, {kUtf8, false});
    const auto named = findCodePage(codePage);
    const CodePageInfo info = named.value_or(defaultCodePage());
    if (info.dxfName == kUtf8) return TextCodec(nullptr, {kUtf8, false});
    std::shared_ptr<const base::CodePage> converter = base::CodePage::open(info.id);
    if (!converter) {
        unsupported = std::string(info.dxfName);
        return std::nullopt;
    }
    return TextCodec(std::move(converter), {info.dxfName, !named});
}

std::u16string TextCodec::toUtf16(std::string_view raw) const {
    // Most text is ASCII, widened unit by unit. ORing the bytes, unlike stopping at the first
    // other one, takes no branch per byte.
    unsigned char bits = 0;
    for (const char c : raw) bits |= static_cast<unsigned char>(c);
    if (bits < 0x80) return std::u16string(raw.begin(), raw.end());
    return codePage_ ? codePage_->decode(raw) : base::utf8ToUtf16(raw);
}

std::u16string TextCodec::decode(std::string_view raw) const {
    std::u16string text = toUtf16(raw);
    if (std::any_of(text.begin(), text.end(), [](char16_t c) { return c == u'\\' || c == u'^'; }))
        text = unescape(text);
    return text;  // one variable returned: no copy
}

// One pass, so that a character an escape produced is never read as the start of another.
std::u16string TextCodec::unescape(std::u16string_view text) const {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == u'\\' && isUnicodeEscape(text, i)) {
            out.push_back(static_cast<char16_t>(*hex4(text, i + 3)));
            i += 7;
        } else if (c == u'\\' && isMultibyteEscape(text, i)) {
            const auto decoded = multibyteEscape(text[i + 3], *hex4(text, i + 4));
            if (decoded) {
                out.push_back(*decoded);
                i += 8;
            } else {
                out.push_back(c);
                ++i;
            }
        } else if (c == u'^' && i + 1 < text.size() && text[i + 1] == u' ') {
            out.push_back(u'^');
            i += 2;
        } else if (c == u'^' && i + 1 < text.size() && text[i + 1] >= 0x40 && text[i + 1] <= 0x5F) {
            out.push_back(static_cast<char16_t>(text[i + 1] - 0x40));
            i += 2;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

std::optional<char16_t> TextCodec::multibyteEscape(char16_t digit, unsigned code) const {
    const auto info = multibyteEscapeCodePage(static_cast<char>(digit));
    if (!info) return std::nullopt;
    auto& page = escapePages_[static_cast<std::size_t>(digit - u'1')];
    if (!page) page = base::CodePage::open(info->id);
    if (!page) return std::nullopt;
    std::string bytes;
    if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
    const std::u16string decoded = page->decode(bytes);
    if (decoded.size() != 1 || decoded[0] == u'\uFFFD') return std::nullopt;
    return decoded[0];
}

std::string TextCodec::encode(std::u16string_view text) const {
    std::string out;
    out.reserve(text.size() * 3);
    std::size_t previous = 0;  // where the bytes of the character written last begin
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t start = out.size();
        const char16_t c = text[i];
        if (c < 0x20) {
            out.push_back('^');
            out.push_back(static_cast<char>(c + 0x40));
        } else if (c == u'^') {
            out += "^ ";
        } else if (c == u'\\' && (isUnicodeEscape(text, i) || isMultibyteEscape(text, i))) {
            // A backslash that would start an escape stands for itself only as an escape.
            appendUnicodeEscape(out, c);
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            const bool pair =
                isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1]);
            const bool lone = !pair && (isHighSurrogate(c) || isLowSurrogate(c));
            const std::u16string_view character = text.substr(i, pair ? 2 : 1);
            if (lone || !appendCharacter(character, previous, out)) {
                for (const char16_t unit : character) appendUnicodeEscape(out, unit);
            }
            if (pair) ++i;
        }
        previous = start;
    }
    return out;
}

bool TextCodec::appendCharacter(std::u16string_view character, std::size_t previous,
                                std::string& out) const {
    if (!codePage_) {
        out += base::utf16ToUtf8(character);
        return true;
    }
    // A guessed code page may not be the drawing's: only escapes read back the same in any.
    if (use_.guessed) return false;
    std::string bytes;
    if (!codePage_->encode(character, bytes)) return false;
    const std::string before = out.substr(previous);
    if (toUtf16(before + bytes) != toUtf16(before) + std::u16string(character)) return false;
    out += bytes;
    return true;
}

}  // namespace dxf
