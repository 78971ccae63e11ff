#include "dxf/tag_scanner.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cstring>
#include <span>
#include <string>
#include <system_error>
#include <thread>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf/group_code_memo.h"
#include "dxf/group_codes.h"
#include "dxf/indexing_costs.h"
#include "dxf/little_endian.h"
#include "dxf/newlines_ahead.h"
#include "dxf/tag_sieve.h"
#include "dxf/waitable_count.h"

namespace dxf {

// What one filling of tags read: how many it kept and read, where the data after them starts,
// and whether the tag there is one the line-at-a-time path must read because something is wrong
// with it.
struct FilledTags {
    std::size_t count = 0;
    std::size_t read = 0;
    std::size_t end = 0;
    bool careful = false;
};

namespace {

// Where a batch of tags goes: the tags a selection keeps.
struct TagBatch {
    Tag* tags;
    std::size_t capacity;
};

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

// Reads tags from pairs of `listed` newlines (offsets from `base`) into `batch`, from
// `filled.end` on, for as long as their group-code lines have the usual form and the batch has
// room; returns how many newlines it used. The data must go on for four bytes after the last
// listed newline.
std::size_t readUsualTags(const char* bytes, std::span<const std::uint32_t> listed,
                          std::size_t base, GroupCodeMemo& codes, TagSieve& sieve, TagBatch batch,
                          FilledTags& filled) {
    // Locals throughout: the compiler keeps them in registers, which it could not do with
    // `filled` while tags are being stored.
    std::size_t at = filled.end;
    std::size_t count = filled.count;
    unsigned inWholeObject = sieve.carried();
    std::size_t used = 0;
    for (; used + 1 < listed.size() && count < batch.capacity; used += 2) {
        const std::size_t newline = base + listed[used];
        const std::size_t valueNewline = base + listed[used + 1];
        const int code = codes.codeOf(bytes + at, withoutLineEnd(bytes, at, newline) - at);
        if (code < 0) break;
        const std::size_t valueEnd = withoutLineEnd(bytes, newline + 1, valueNewline);
        // Stored either way and overwritten when left out, which costs less than a branch that
        // mispredicts.
        batch.tags[count] = {code, at, newline + 1, valueEnd};
        count +=
            sieve.keptUsual(code, {bytes + newline + 1, valueEnd - newline - 1}, inWholeObject);
        at = valueNewline + 1;
    }
    sieve.carry(inWholeObject);
    filled.end = at;
    filled.count = count;
    filled.read += used / 2;
    return used;
}

// What filling batches keeps from one batch to the next: the newlines listed, the group-code
// lines seen, and where the tags kept stand.
struct FillState {
    FillState(std::string_view data, std::size_t from, const TagSelection* selection)
        : newlines(data, from), sieve(selection) {}

    NewlinesAhead newlines;
    GroupCodeMemo codes;
    TagSieve sieve;
};

// Reads tags from `pos` on into `batch` until it is full, up to the first one the line-at-a-time
// path must read. Never throws: that path reports what is wrong.
FilledTags fillTags(std::string_view data, FillState& state, std::size_t pos, TagBatch batch) {
    NewlinesAhead& newlines = state.newlines;
    TagSieve& sieve = state.sieve;
    const char* const bytes = data.data();
    const std::size_t size = data.size();
    FilledTags filled{0, 0, pos, false};
    while (filled.count < batch.capacity && filled.end < size) {
        // Four bytes after the listed ones let the usual tags be read without a check of the end.
        if (newlines.listedEnd() + 4 <= size) {
            newlines.consume(readUsualTags(bytes, newlines.listed(), newlines.base(), state.codes,
                                           sieve, batch, filled));
            if (filled.count == batch.capacity) break;
        }
        // One tag the general way: its code line in another form, its lines listed apart, or
        // among the last bytes of the data.
        const std::size_t at = filled.end;
        const std::size_t newline = newlines.next();
        const auto code =
            newline + 1 < size
                ? groupCodeOfLine(data.substr(at, withoutLineEnd(bytes, at, newline) - at))
                : std::nullopt;  // no value line
        if (!code) {
            filled.careful = true;
            break;
        }
        const std::size_t valueNewline = newlines.next();
        const std::size_t valueEnd = withoutLineEnd(bytes, newline + 1, valueNewline);
        batch.tags[filled.count] = {*code, at, newline + 1, valueEnd};
        ++filled.read;
        unsigned inWholeObject = sieve.carried();
        filled.count +=
            sieve.kept(*code, data.substr(newline + 1, valueEnd - newline - 1), inWholeObject);
        sieve.carry(inWholeObject);
        filled.end = valueNewline < size ? valueNewline + 1 : size;
    }
    return filled;
}

// Tags filled by a thread of their own while the scanner's caller works through the ones before:
// with a second core, finding lines and reading group codes then costs the caller no time. The
// batches go round a ring: the filler waits while all are full, the caller while none is.
struct FilledBatch {
    FilledTags tags;
    std::unique_ptr<Tag[]> batch;
};

// Tags per batch. Either side may run ahead for stretches (the filler reads every tag, the caller
// only those kept, which come thick where entities are short), and each wait for the other costs
// a wake-up: the more tags the ring holds, the fewer waits. Measured on a 200 MB drawing, a ring of
// 64 Ki tags took half the time of one of 16 Ki. The ring is kept near 1 % of the data, though, so
// that it adds little to the memory a drawing takes.
std::size_t tagsPerBatch(std::size_t dataSize) {
    constexpr std::size_t kFewest = 1024;
    constexpr std::size_t kMost = 16384;
    return std::clamp<std::size_t>(dataSize / 100 / 4 / sizeof(Tag), kFewest, kMost);
}

class ParallelFilling {
public:
    ParallelFilling(std::string_view data, std::size_t from, const TagSelection* selection)
        : data_(data),
          pos_(from),
          state_(data, from, selection),
          tagsPerBatch_(tagsPerBatch(data.size())),
          ring_(makeRing(tagsPerBatch_)),
          touched_(from),
          filler_([this] { fill(); }) {
        touchAhead(from);
    }

    ~ParallelFilling() {
        stop_.store(true);
        released_.add(kRing);  // wakes a filler that waits for room
        filler_.join();
    }

    ParallelFilling(const ParallelFilling&) = delete;
    ParallelFilling& operator=(const ParallelFilling&) = delete;

    // The next batch; it stays valid until release().
    const FilledBatch& take() {
        filled_.waitWhile(taken_);
        const FilledBatch& batch = ring_[taken_++ % kRing];
        touchAhead(batch.tags.end);
        return batch;
    }

    void release() { released_.add(1); }

private:
    static constexpr std::size_t kRing = 4;

    // The pages of a mapped file are mapped on first touch, at about a tenth of a millisecond
    // per megabyte. The caller, which has time to spare while the filler works, touches them a
    // few megabytes ahead of where the filler has got to, so the filler seldom waits for one.
    void touchAhead(std::size_t filledTo) {
        constexpr std::size_t kAhead = 8 << 20;
        constexpr std::size_t kPage = 4096;  // touching more often than pages come costs little
        const std::size_t to = std::min(data_.size(), filledTo + kAhead);
        unsigned char sum = 0;
        for (; touched_ < to; touched_ += kPage) {
            sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(data_[touched_]));
        }
        touchedSum_ = sum;
    }

    static std::array<FilledBatch, kRing> makeRing(std::size_t tags) {
        std::array<FilledBatch, kRing> ring;
        // Not written here: pages the filler never reaches take no memory.
        for (FilledBatch& batch : ring) batch.batch = std::make_unique_for_overwrite<Tag[]>(tags);
        return ring;
    }

    void fill() {
        for (std::size_t n = 0;; ++n) {
            for (std::size_t released = released_.load(); n - released >= kRing && !stop_.load();)
                released = released_.waitWhile(released);
            if (stop_.load()) return;
            FilledBatch& slot = ring_[n % kRing];
            try {
                slot.tags = fillTags(data_, state_, pos_, {slot.batch.get(), tagsPerBatch_});
            } catch (...) {
                slot.tags = {0, 0, pos_, true};  // the reader goes on line by line from here
            }
            pos_ = slot.tags.end;
            filled_.add(1);
            // The last batch: the data ends, or the caller reads on one line at a time.
            if (slot.tags.careful || pos_ >= data_.size()) return;
        }
    }

    std::string_view data_;
    std::size_t pos_;  // the filler's
    FillState state_;
    std::size_t tagsPerBatch_;
    std::array<FilledBatch, kRing> ring_;
    std::size_t taken_ = 0;                  // the caller's
    std::size_t touched_;                    // the caller's
    volatile unsigned char touchedSum_ = 0;  // keeps the touches from being optimised away
    WaitableCount filled_;
    WaitableCount released_;
    std::atomic<bool> stop_{false};
    std::thread filler_;  // last: it starts once everything above is ready
};

}  // namespace

std::optional<int> groupCodeOfLine(std::string_view line) {
    const auto code = parseInteger(line);
    if (!code || *code < -32768 || *code > 32767) return std::nullopt;
    return static_cast<int>(*code);
}

// Batches filled on the caller's thread, one at a time.
struct SerialFilling {
    SerialFilling(std::string_view data, std::size_t from, const TagSelection* selection)
        : state(data, from, selection) {}

    FillState state;
    std::array<Tag, kBatch> batch;
};

// Lines found ahead: by the caller's thread or by one of their own, never both.
struct TagScanner::Ahead {
    std::unique_ptr<SerialFilling> serial;
    std::unique_ptr<ParallelFilling> parallel;
};

TagScanner::TagScanner(std::string_view data, Layout layout, std::size_t begin,
                       const std::filesystem::path& source, std::uint64_t firstLine,
                       LineSearch search, const TagSelection* selection)
    : data_(data), layout_(layout), pos_(begin), line_(firstLine), source_(source) {
    const std::size_t left = begin < data.size() ? data.size() - begin : 0;
    const LineSearch chosen = lineSearchFor(search, left);
    if (layout != Layout::kAscii || chosen == LineSearch::kOneAtATime) return;
    ahead_ = std::make_unique<Ahead>();
    if (chosen == LineSearch::kAheadInParallel) {
        try {
            ahead_->parallel = std::make_unique<ParallelFilling>(data, begin, selection);
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the batches are filled here.
        }
    }
    ahead_->serial = std::make_unique<SerialFilling>(data, begin, selection);
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
    for (;;) {
        line_ += 2 * batchTagsRead_;  // the batch is all handed out, or there was none
        batchCount_ = batchRead_ = batchTagsRead_ = 0;
        if (pos_ >= data_.size()) return false;
        if (layout_ != Layout::kAscii) return nextBinary(tag);
        if (!ahead_ || lineAtATime_) return nextAscii(tag);
        if (ahead_->parallel) {
            takeFilledBatch();
        } else {
            fillBatch();
        }
        // A batch may keep no tag: the selection left out all it read, or it stopped at once.
        if (batchCount_ > 0) {
            tag = batch_[batchRead_++];
            return true;
        }
    }
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
    SerialFilling& serial = *ahead_->serial;
    useBatch(fillTags(data_, serial.state, pos_, {serial.batch.data(), kBatch}),
             serial.batch.data());
}

void TagScanner::takeFilledBatch() {
    ParallelFilling& parallel = *ahead_->parallel;
    if (holdingBatch_) parallel.release();
    holdingBatch_ = false;
    const FilledBatch& filled = parallel.take();
    holdingBatch_ = true;
    useBatch(filled.tags, filled.batch.get());
}

void TagScanner::useBatch(const FilledTags& filled, const Tag* tags) {
    batchBegin_ = pos_;
    pos_ = filled.end;
    batch_ = tags;
    batchCount_ = filled.count;
    batchTagsRead_ = filled.read;
    // The line-at-a-time path reads the tag at pos_ and reports what is wrong with it.
    lineAtATime_ = filled.careful;
}

int TagScanner::groupCode(std::size_t begin, std::size_t end) const {
    const std::string_view line = data_.substr(begin, end - begin);
    const auto code = groupCodeOfLine(line);
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

std::optional<long long> TagValues::intValue(const Tag& tag) const {
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
    // Within a batch, the lines are counted up to the tag handed out last: a batch does not keep
    // the lines of its tags, since they are wanted only for errors, and it may leave tags out.
    std::uint64_t nextLine = line_;
    if (batchRead_ > 0) {
        const std::size_t last = batch_[batchRead_ - 1].begin;
        nextLine += static_cast<std::uint64_t>(
                        std::count(data_.begin() + static_cast<std::ptrdiff_t>(batchBegin_),
                                   data_.begin() + static_cast<std::ptrdiff_t>(last), '\n')) +
                    2;
    }
    return layout_ == Layout::kAscii ? (nextLine > 1 ? nextLine - 1 : 1) : data_.size();
}

void TagScanner::truncated(std::uint64_t position) const {
    throw truncatedError(
        source_, layout_ == Layout::kAscii ? Position::kLine : Position::kByteOffset, position);
}

}  // namespace dxf
