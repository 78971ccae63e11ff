#include "dxf/tag_scanner.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <string>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf/group_codes.h"
#include "dxf/little_endian.h"

namespace dxf {

namespace {

constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};
constexpr std::string_view kUtf8Bom{"\xEF\xBB\xBF"};

std::optional<long long> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The group code of a line in its usual form, "  0" to "1071": up to four bytes, spaces then at
// least one digit, read as one word. -1 for anything else, which then takes the careful path.
// The four bytes at `line` must be readable even when the line is shorter.
int usualGroupCode(const char* line, std::size_t size) {
    if (size == 0 || size > 4) return -1;
    constexpr std::uint32_t kSpaces = 0x20202020U;
    constexpr std::uint32_t kZeros = 0x30303030U;
    constexpr std::uint32_t kHighNibbles = 0xF0F0F0F0U;
    constexpr std::uint32_t kTops = 0x80808080U;
    constexpr std::uint32_t kLow7 = 0x7F7F7F7FU;
    // The line right-aligned in the word, its first byte lowest, and spaces shifted in before it.
    const unsigned shift = 8 * static_cast<unsigned>(4 - size);
    const std::uint32_t word = (littleEndian<std::uint32_t>(line) << shift) |
                               static_cast<std::uint32_t>(std::uint64_t{kSpaces} >> (32 - shift));
    // The spaces, marked in their top bit: x is zero exactly there.
    const std::uint32_t x = word ^ kSpaces;
    const std::uint32_t spaces = ~(((x & kLow7) + kLow7) | x) & kTops;
    // Spaces only before the digits, and the last byte a digit.
    if (((spaces >> 8) & ~spaces) != 0 || (spaces >> 31) != 0) return -1;
    const std::uint32_t digits = word | (spaces >> 3);  // a space read as '0'
    if ((digits & kHighNibbles) != kZeros || ((digits + 0x06060606U) & kHighNibbles) != kZeros) {
        return -1;
    }
    std::uint32_t value = digits - kZeros;
    value = (value * 10 + (value >> 8)) & 0x00FF00FFU;  // two-digit pairs
    value = (value * 100 + (value >> 16)) & 0xFFFFU;
    return static_cast<int>(value);
}

// A line without its line end, which may be LF or CRLF.
std::string_view withoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::string_view trimmed(std::string_view value) {
    const auto padding = [](char c) { return c == ' ' || c == '\t'; };
    while (!value.empty() && padding(value.front())) value.remove_prefix(1);
    while (!value.empty() && padding(value.back())) value.remove_suffix(1);
    return value;
}

TagScanner::TagScanner(std::string_view data, Layout layout, std::size_t begin,
                       const std::filesystem::path& source, std::uint64_t firstLine,
                       NewlineMarker marker)
    : data_(data),
      layout_(layout),
      pos_(begin),
      line_(firstLine),
      source_(source),
      marker_(marker),
      markedBegin_(begin),
      markedEnd_(begin),
      nextWord_(begin) {}

std::optional<Layout> TagScanner::detect(std::string_view data, std::size_t& firstTag) {
    if (data.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        firstTag = kBinarySentinel.size();
        // The first tag is (0, "SECTION"): a two-byte code starts with two zero bytes.
        const bool twoByte =
            data.size() > firstTag + 1 && data[firstTag] == '\0' && data[firstTag + 1] == '\0';
        return twoByte ? Layout::kBinaryTwoByteCode : Layout::kBinaryOneByteCode;
    }
    firstTag = data.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    const std::string_view rest = data.substr(firstTag);
    if (!parseInteger(withoutLineEnd(rest.substr(0, rest.find('\n'))))) return std::nullopt;
    return Layout::kAscii;
}

bool TagScanner::next(Tag& tag) {
    if (pos_ >= data_.size()) return false;
    return layout_ == Layout::kAscii ? nextAscii(tag) : nextBinary(tag);
}

std::size_t TagScanner::nextNewline() {
    if (unread_ == 0 && !readNextWord()) return data_.size();
    const std::size_t at = wordBegin_ + static_cast<std::size_t>(std::countr_zero(unread_));
    unread_ &= unread_ - 1;
    return at;
}

bool TagScanner::readNextWord() {
    while (unread_ == 0) {
        if (nextWord_ >= data_.size()) return false;
        if (nextWord_ >= markedEnd_) mark(nextWord_);
        wordBegin_ = nextWord_;
        unread_ = marks_[(wordBegin_ - markedBegin_) / kMarkedBlock];
        nextWord_ += kMarkedBlock;
    }
    return true;
}

void TagScanner::mark(std::size_t from) {
    markedBegin_ = from;
    markedEnd_ = std::min(data_.size(), from + markedWords_ * kMarkedBlock);
    markedWords_ = std::min(markedWords_ * 2, marks_.size());
    marker_(data_.substr(markedBegin_, markedEnd_ - markedBegin_), marks_.data());
}

bool TagScanner::nextAscii(Tag& tag) {
    // Locals until the end: stores into `tag` could otherwise be taken to change the scanner.
    const char* const bytes = data_.data();
    const std::size_t size = data_.size();
    const std::size_t begin = pos_;
    std::size_t codeEnd = nextNewline();
    const std::size_t valueBegin = codeEnd + 1;
    if (codeEnd > begin && bytes[codeEnd - 1] == '\r') --codeEnd;
    const int usual = begin + 4 <= size ? usualGroupCode(bytes + begin, codeEnd - begin) : -1;
    const int code = usual >= 0 ? usual : groupCode(begin, codeEnd);
    if (valueBegin >= size) truncated(line_);
    const std::size_t valueStop = nextNewline();
    const bool crlf = valueStop > valueBegin && bytes[valueStop - 1] == '\r';
    pos_ = valueStop < size ? valueStop + 1 : size;
    line_ += 2;
    tag.code = code;
    tag.begin = begin;
    tag.valueBegin = valueBegin;
    tag.valueEnd = crlf ? valueStop - 1 : valueStop;
    return true;
}

int TagScanner::groupCode(std::size_t begin, std::size_t end) const {
    const std::string_view line = data_.substr(begin, end - begin);
    const auto code = parseInteger(line);
    if (!code || *code < -32768 || *code > 32767) {
        throw malformedError(source_, Position::kLine, line_,
                             u"组码“" + base::utf8ToUtf16(line.substr(0, 40)) + u"”不是整数");
    }
    return static_cast<int>(*code);
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
                             u"未知的组码 " + base::utf8ToUtf16(std::to_string(tag.code)));
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
