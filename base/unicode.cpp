#include "base/unicode.h"

#include <algorithm>

namespace base {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// What decodeUtf8 returns for bytes that are not a UTF-8 sequence; no code point has this value.
constexpr char32_t kInvalid = 0xFFFFFFFF;
// Bytes 0x80..0xFF carried inside UTF-16 as lone low surrogates.
constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence starting at `i`, advancing `i`; rejects overlong forms and surrogates
// with kInvalid.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        return kInvalid;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return kInvalid;
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) return kInvalid;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kInvalid;
    return cp;
}

// Calls `emit` with each code point of `utf16`, a surrogate pair joined, a lone surrogate as
// itself.
template <typename Emit>
void forEachCodePoint(std::u16string_view utf16, Emit emit) {
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        }
        emit(cp);
    }
}

bool isSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = decodeUtf8(utf8, i);
        appendUtf16(out, cp == kInvalid ? kReplacement : cp);
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    forEachCodePoint(utf16,
                     [&out](char32_t cp) { appendUtf8(out, isSurrogate(cp) ? kReplacement : cp); });
    return out;
}

std::u16string nameBytesToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        const char32_t cp = decodeUtf8(bytes, i);
        if (cp != kInvalid) {
            appendUtf16(out, cp);
            continue;
        }
        // Only the first byte is escaped: the next one may begin a valid sequence.
        i = start + 1;
        out.push_back(
            static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[start])));
    }
    return out;
}

std::string utf16ToNameBytes(std::u16string_view name) {
    std::string out;
    out.reserve(name.size() * 3);
    forEachCodePoint(name, [&out](char32_t cp) {
        if (cp >= kFirstEscape && cp <= kLastEscape) {
            out.push_back(static_cast<char>(cp - kEscapeBase));
        } else {
            appendUtf8(out, cp);
        }
    });
    return out;
}

std::u16string visibleName(std::u16string_view name) {
    static constexpr std::u16string_view kHex = u"0123456789ABCDEF";
    std::u16string out;
    out.reserve(name.size());
    forEachCodePoint(name, [&out](char32_t cp) {
        if (cp < kFirstEscape || cp > kLastEscape) {
            appendUtf16(out, cp);
            return;
        }
        const auto byte = static_cast<unsigned>(cp - kEscapeBase);
        out += u"\\x";
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 0xF]);
    });
    return out;
}

std::u16string lowerAscii(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    });
    return text;
}

}  // namespace base
