#include "dxf/tag_scanner.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <type_traits>

#include "dxf/error.h"
#include "dxf/group_codes.h"
#include "dxf/unicode.h"

namespace dxf {

namespace {

constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};
constexpr std::string_view kUtf8Bom{"\xEF\xBB\xBF"};

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<long long> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// A group code: digits, perhaps padded with spaces. The usual short form is read directly;
// anything else goes through the general parser.
std::optional<long long> parseGroupCode(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos || text.size() - first > 4) return parseInteger(text);
    long long code = 0;
    for (const char c : text.substr(first)) {
        if (c < '0' || c > '9') return parseInteger(text);
        code = code * 10 + (c - '0');
    }
    return code;
}

template <typename Integer>
Integer littleEndian(const char* p) {
    std::make_unsigned_t<Integer> value = 0;
    for (std::size_t i = sizeof(Integer); i-- > 0;) {
        value = static_cast<std::make_unsigned_t<Integer>>((value << 8) |
                                                           static_cast<unsigned char>(p[i]));
    }
    return static_cast<Integer>(value);
}

// A line without its line end, which may be LF or CRLF. Most lines of a drawing are a few bytes
// long, so the first bytes are looked at directly before memchr takes over.
std::size_t lineEnd(std::string_view data, std::size_t from, std::size_t& next) {
    constexpr std::size_t kShortLine = 16;
    const char* const begin = data.data();
    const char* p = begin + from;
    const char* const limit = begin + std::min(data.size(), from + kShortLine);
    while (p < limit && *p != '\n') ++p;
    if (p == limit && p < begin + data.size()) {
        const void* nl = std::memchr(p, '\n', data.size() - static_cast<std::size_t>(p - begin));
        p = nl ? static_cast<const char*>(nl) : begin + data.size();
    }
    std::size_t end = static_cast<std::size_t>(p - begin);
    next = end < data.size() ? end + 1 : end;
    if (end > from && data[end - 1] == '\r') --end;
    return end;
}

}  // namespace

TagScanner::TagScanner(std::string_view data, Layout layout, std::size_t begin,
                       const std::filesystem::path& source, std::uint64_t firstLine)
    : data_(data), layout_(layout), pos_(begin), line_(firstLine), source_(source) {}

std::optional<Layout> TagScanner::detect(std::string_view data, std::size_t& firstTag) {
    if (data.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        firstTag = kBinarySentinel.size();
        // The first tag is (0, "SECTION"): a two-byte code starts with two zero bytes.
        const bool twoByte =
            data.size() > firstTag + 1 && data[firstTag] == '\0' && data[firstTag + 1] == '\0';
        return twoByte ? Layout::kBinaryTwoByteCode : Layout::kBinaryOneByteCode;
    }
    firstTag = data.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    std::size_t secondLine = 0;
    const std::size_t end = lineEnd(data, firstTag, secondLine);
    if (!parseInteger(data.substr(firstTag, end - firstTag))) return std::nullopt;
    return Layout::kAscii;
}

bool TagScanner::next(Tag& tag) {
    if (pos_ >= data_.size()) return false;
    return layout_ == Layout::kAscii ? nextAscii(tag) : nextBinary(tag);
}

bool TagScanner::nextAscii(Tag& tag) {
    tag.begin = pos_;
    std::size_t valueLine = 0;
    const std::size_t codeEnd = lineEnd(data_, pos_, valueLine);
    const std::string_view codeText = data_.substr(pos_, codeEnd - pos_);
    const auto code = parseGroupCode(codeText);
    if (!code || *code < -32768 || *code > 32767) {
        throw malformedError(source_, Position::kLine, line_,
                             u"组码“" + utf8ToUtf16(codeText.substr(0, 40)) + u"”不是整数");
    }
    if (valueLine >= data_.size()) truncated(line_);
    tag.code = static_cast<int>(*code);
    tag.valueBegin = valueLine;
    tag.valueEnd = lineEnd(data_, valueLine, pos_);
    line_ += 2;
    return true;
}

bool TagScanner::nextBinary(Tag& tag) {
    tag.begin = pos_;
    const std::size_t left = data_.size() - pos_;
    const char* p = data_.data() + pos_;
    if (layout_ == Layout::kBinaryOneByteCode && static_cast<unsigned char>(*p) != 255) {
        tag.code = static_cast<unsigned char>(*p);
        pos_ += 1;
    } else {
        const std::size_t skip = layout_ == Layout::kBinaryOneByteCode ? 1 : 0;
        if (left < skip + 2) truncated(tag.begin);
        tag.code = littleEndian<std::uint16_t>(p + skip);
        pos_ += skip + 2;
    }
    const ValueKind kind = valueKind(tag.code);
    if (kind == ValueKind::kUnknown) {
        throw malformedError(source_, Position::kByteOffset, tag.begin,
                             u"未知的组码 " + utf8ToUtf16(std::to_string(tag.code)));
    }
    if (kind == ValueKind::kString) {
        const void* nul = std::memchr(data_.data() + pos_, '\0', data_.size() - pos_);
        if (!nul) truncated(tag.begin);
        tag.valueBegin = pos_;
        tag.valueEnd = static_cast<std::size_t>(static_cast<const char*>(nul) - data_.data());
        pos_ = tag.valueEnd + 1;
        return true;
    }
    std::size_t size = static_cast<std::size_t>(fixedSize(kind));
    std::size_t start = pos_;
    if (kind == ValueKind::kBinaryChunk) {
        if (pos_ >= data_.size()) truncated(tag.begin);
        size = static_cast<unsigned char>(data_[pos_]);
        start = pos_ + 1;
    }
    if (start + size > data_.size()) truncated(tag.begin);
    tag.valueBegin = start;
    tag.valueEnd = start + size;
    pos_ = tag.valueEnd;
    return true;
}

std::optional<long long> TagScanner::intValue(const Tag& tag) const {
    if (layout_ == Layout::kAscii) return parseInteger(value(tag));
    const char* bytes = data_.data() + tag.valueBegin;
    switch (valueKind(tag.code)) {
        case ValueKind::kBool:
            return littleEndian<std::uint8_t>(bytes);
        case ValueKind::kInt16:
            return littleEndian<std::int16_t>(bytes);
        case ValueKind::kInt32:
            return littleEndian<std::int32_t>(bytes);
        case ValueKind::kInt64:
            return littleEndian<std::int64_t>(bytes);
        default:
            return std::nullopt;
    }
}

std::uint64_t TagScanner::endPosition() const {
    return layout_ == Layout::kAscii ? (line_ > 1 ? line_ - 1 : 1) : data_.size();
}

void TagScanner::truncated(std::uint64_t position) const {
    throw truncatedError(
        source_, layout_ == Layout::kAscii ? Position::kLine : Position::kByteOffset, position);
}

}  // namespace dxf
