#include "dxf/tag_scanner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <span>
#include <string>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf/group_code_memo.h"
#include "dxf/group_codes.h"
#include "dxf/little_endian.h"
#include "dxf/newlines_ahead.h"

namespace dxf {

namespace {

// Tags read in one go when lines are found ahead: enough that the loop runs long, few enough that
// they stay in the first-level cache.
constexpr std::size_t kBatch = 128;

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

// A group-code line in its usual form, read in one pass: spaces, one to four digits, LF or CRLF.
// Sets `code` and `valueLine` (where the next line starts); false for anything else, which the
// general parser then reads.
bool shortGroupCode(std::string_view data, std::size_t at, int& code, std::size_t& valueLine) {
    const char* p = data.data() + at;
    const char* const stop = data.data() + data.size();
    while (p < stop && *p == ' ') ++p;
    const char* const digits = p;
    int value = 0;
    while (p < stop && p - digits < 5 && *p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    if (p == digits || p - digits > 4) return false;
    if (p < stop && *p == '\r') ++p;
    if (p == stop || *p != '\n') return false;
    code = value;
    valueLine = static_cast<std::size_t>(p + 1 - data.data());
    return true;
}

// Where the first '\n' of the eight bytes at `p` is, or 8: the bytes are read as one word and
// each byte equal to '\n' is marked in its top bit (bytes after the first may be marked wrongly).
unsigned newlineInWord(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kTops = 0x8080808080808080U;
    const std::uint64_t x = littleEndian<std::uint64_t>(p) ^ (kOnes * '\n');
    const std::uint64_t marks = (x - kOnes) & ~x & kTops;
    return marks == 0 ? 8 : static_cast<unsigned>(std::countr_zero(marks)) / 8;
}

// Where the line from `from` that stops at `stop` (its '\n', or the end of the data) ends without
// its line end, LF or CRLF.
std::size_t withoutLineEnd(const char* bytes, std::size_t from, std::size_t stop) {
    return stop > from && bytes[stop - 1] == '\r' ? stop - 1 : stop;
}

// A line without its line end, which may be LF or CRLF. Most lines of a drawing are a few bytes
// long: they end within the first words, looked at eight bytes at a time; memchr takes over for
// long ones.
std::size_t lineEnd(std::string_view data, std::size_t from, std::size_t& next) {
    constexpr std::size_t kWords = 2;
    const char* const begin = data.data();
    const char* const stop = begin + data.size();
    const char* p = begin + from;
    const char* newline = nullptr;
    for (std::size_t w = 0; w < kWords && stop - p >= 8 && !newline; ++w, p += 8) {
        const unsigned at = newlineInWord(p);
        if (at < 8) newline = p + at;
    }
    if (!newline) {
        newline =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
    }
    const std::size_t end = static_cast<std::size_t>((newline ? newline : stop) - begin);
    next = newline ? end + 1 : end;
    return withoutLineEnd(begin, from, end);
}

// The group code a line holds in any form the format allows, or nothing.
std::optional<int> anyGroupCode(std::string_view line) {
    const auto code = parseInteger(line);
    if (!code || *code < -32768 || *code > 32767) return std::nullopt;
    return static_cast<int>(*code);
}

// Reads tags from pairs of `listed` newlines (offsets from `base`) into `out`, from `pos` on, for
// as long as their group-code lines have the usual form; returns how many. The data must go on for
// four bytes after the last listed newline.
std::size_t readUsualTags(const char* bytes, std::span<const std::uint32_t> listed,
                          std::size_t base, GroupCodeMemo& codes, Tag* out, std::size_t& pos) {
    std::size_t at = pos;
    std::size_t read = 0;
    for (; 2 * read + 1 < listed.size(); ++read) {
        const std::size_t newline = base + listed[2 * read];
        const std::size_t valueNewline = base + listed[2 * read + 1];
        const int code = codes.codeOf(bytes + at, withoutLineEnd(bytes, at, newline) - at);
        if (code < 0) break;
        out[read] = {code, at, newline + 1, withoutLineEnd(bytes, newline + 1, valueNewline)};
        at = valueNewline + 1;
    }
    pos = at;
    return read;
}

}  // namespace

struct TagScanner::Ahead {
    Ahead(std::string_view data, std::size_t from) : newlines(data, from) {}

    NewlinesAhead newlines;
    GroupCodeMemo codes;
    std::array<Tag, kBatch> batch;
};

TagScanner::TagScanner(std::string_view data, Layout layout, std::size_t begin,
                       const std::filesystem::path& source, std::uint64_t firstLine,
                       LineSearch search)
    : data_(data), layout_(layout), pos_(begin), line_(firstLine), source_(source) {
    // Listing starts with an allocation and a few kilobytes of work: worth it from here on.
    constexpr std::size_t kAheadFrom = 64 * 1024;
    const bool ahead =
        search == LineSearch::kAhead || (search == LineSearch::kAutomatic && begin < data.size() &&
                                         data.size() - begin >= kAheadFrom);
    if (layout == Layout::kAscii && ahead) ahead_ = std::make_unique<Ahead>(data, begin);
}

TagScanner::~TagScanner() = default;

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

bool TagScanner::nextUnbatched(Tag& tag) {
    if (batchCount_ != 0) {  // all handed out
        line_ += 2 * batchCount_;
        batchCount_ = batchRead_ = 0;
    }
    if (pos_ >= data_.size()) return false;
    if (layout_ != Layout::kAscii) return nextBinary(tag);
    if (ahead_ && !lineAtATime_) [[likely]] {
        fillBatch();
        if (batchCount_ > 0) {
            tag = batch_[batchRead_++];
            return true;
        }
    }
    return nextAscii(tag);
}

bool TagScanner::nextAscii(Tag& tag) {
    const std::size_t begin = pos_;
    int code = 0;
    std::size_t valueLine = 0;
    if (!shortGroupCode(data_, begin, code, valueLine)) {
        const std::size_t codeEnd = lineEnd(data_, begin, valueLine);
        code = groupCode(begin, codeEnd);
    }
    if (valueLine >= data_.size()) truncated(line_);
    const std::size_t valueEnd = lineEnd(data_, valueLine, pos_);
    line_ += 2;
    tag = {code, begin, valueLine, valueEnd};
    return true;
}

void TagScanner::fillBatch() {
    // Locals throughout: the compiler keeps them in registers, which it could not do with the
    // scanner's members while tags are being stored.
    const char* const bytes = data_.data();
    const std::size_t size = data_.size();
    NewlinesAhead& newlines = ahead_->newlines;
    GroupCodeMemo& codes = ahead_->codes;
    Tag* const out = ahead_->batch.data();
    std::size_t pos = pos_;
    std::size_t count = 0;
    bool careful = false;
    while (count < kBatch && pos < size && !careful) {
        // Four bytes after the listed ones let the usual tags be read without a check of the end.
        if (newlines.listedEnd() + 4 <= size) {
            const std::span<const std::uint32_t> listed = newlines.listed();
            const std::size_t read =
                readUsualTags(bytes, listed.first(std::min(listed.size(), 2 * (kBatch - count))),
                              newlines.base(), codes, out + count, pos);
            newlines.consume(2 * read);
            count += read;
            if (count == kBatch) break;
        }
        // One tag the general way: its code line in another form, its lines listed apart, or
        // among the last bytes of the data.
        const std::size_t newline = newlines.next();
        if (newline + 1 >= size) {  // no value line
            careful = true;
            break;
        }
        const auto code =
            anyGroupCode(data_.substr(pos, withoutLineEnd(bytes, pos, newline) - pos));
        if (!code) {
            careful = true;
            break;
        }
        const std::size_t valueNewline = newlines.next();
        out[count++] = {*code, pos, newline + 1, withoutLineEnd(bytes, newline + 1, valueNewline)};
        pos = valueNewline < size ? valueNewline + 1 : size;
    }
    pos_ = pos;
    batch_ = out;
    batchCount_ = count;
    // The line-at-a-time path reads the tag at pos_ and reports what is wrong with it.
    lineAtATime_ = careful;
}

int TagScanner::groupCode(std::size_t begin, std::size_t end) const {
    const std::string_view line = data_.substr(begin, end - begin);
    const auto code = anyGroupCode(line);
    if (!code) {
        throw malformedError(source_, Position::kLine, line_,
                             u"组码“" + base::utf8ToUtf16(line.substr(0, 40)) + u"”不是整数");
    }
    return *code;
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
    const std::uint64_t nextLine = line_ + 2 * batchRead_;
    return layout_ == Layout::kAscii ? (nextLine > 1 ? nextLine - 1 : 1) : data_.size();
}

void TagScanner::truncated(std::uint64_t position) const {
    throw truncatedError(
        source_, layout_ == Layout::kAscii ? Position::kLine : Position::kByteOffset, position);
}

}  // namespace dxf
