#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace dxf {

// How a file's tags are laid out.
enum class Layout {
    kAscii,              // two lines per tag: group code, value
    kBinaryOneByteCode,  // R12 binary: one-byte group codes, 255 escapes a two-byte code
    kBinaryTwoByteCode,  // binary from R13 on
};

// One (group code, value) pair, as offsets into the file's bytes.
struct Tag {
    int code = 0;
    std::size_t begin = 0;       // the tag's first byte (its group code)
    std::size_t valueBegin = 0;  // the value: a line without its line end (ASCII), or the
    std::size_t valueEnd = 0;    // value's bytes without the terminating NUL (binary)
};

// The bytes a file's tags point into, and how their values are read there. What a reader of tags
// needs: it reads any tag over these bytes alike, whichever scanner found it.
class TagValues {
public:
    TagValues(std::string_view data, Layout layout) : data_(data), layout_(layout) {}

    // Without substr's range check: a tag read from these bytes lies within them.
    std::string_view value(const Tag& tag) const {
        return {data_.data() + tag.valueBegin, tag.valueEnd - tag.valueBegin};
    }
    // The value as an integer (ASCII: decimal text; binary: its stored integer), or nothing.
    std::optional<long long> intValue(const Tag& tag) const;

private:
    std::string_view data_;
    Layout layout_;
};

// A value without the spaces and tabs that pad it, as the structure tags (0, 2, 9, 100) are
// compared. Inline: it runs for most tags of a file, and nearly all have no padding.
inline std::string_view trimmed(std::string_view value) {
    const auto padding = [](char c) { return c == ' ' || c == '\t'; };
    while (!value.empty() && padding(value.front())) value.remove_prefix(1);
    while (!value.empty() && padding(value.back())) value.remove_suffix(1);
    return value;
}

// The group code an ASCII line (without its line end) holds, in any form the format allows, or
// nothing.
std::optional<int> groupCodeOfLine(std::string_view line);

// How ASCII lines are found: one at a time, which costs nothing to start and suits a short
// stretch such as one entity; from newlines listed kilobytes ahead, which suits a whole file; or
// that way by a thread of its own, which suits a large file on a machine with more than one core.
// All read the same tags and throw the same errors; kAutomatic picks by the length left.
enum class LineSearch { kAutomatic, kOneAtATime, kAhead, kAheadInParallel };

// The tags a caller needs. Where lines are found ahead, the scanner leaves the others out, which
// spares the caller going through millions of coordinates; elsewhere it hands out every tag, so
// callers must ignore what they do not need either way. Always kept: every group-0 tag, the tags
// before the first, and every tag of an object whose type (its group 0) `keepsWhole` accepts.
struct TagSelection {
    static constexpr std::size_t kUsualCodes = 10000;  // a usual group-code line has four digits

    // 1 for the codes kept wherever they are: those set, group 0, and from 1072 on, codes the
    // format gives no meaning. A table rather than a set: it is looked up for every tag.
    std::array<std::uint8_t, kUsualCodes> codes = [] {
        std::array<std::uint8_t, kUsualCodes> always{};
        always[0] = 1;
        for (std::size_t code = 1072; code < kUsualCodes; ++code) always[code] = 1;
        return always;
    }();
    bool (*keepsWhole)(std::string_view type) = nullptr;  // the group 0's value, trimmed
};

struct FilledTags;  // what one batch read

// Walks the tags of a DXF file from an offset, without copying or decoding anything. Malformed
// and cut-off input throws dxf::Error naming `source` and the line or byte offset.
class TagScanner {
public:
    TagScanner(std::string_view data, Layout layout, std::size_t begin,
               const std::filesystem::path& source, std::uint64_t firstLine = 1,
               LineSearch search = LineSearch::kAutomatic,
               const TagSelection* selection = nullptr);  // all tags; must outlive the scanner
    ~TagScanner();
    TagScanner(const TagScanner&) = delete;
    TagScanner& operator=(const TagScanner&) = delete;

    // The layout of a whole file and the offset of its first tag (after a byte-order mark or
    // the binary sentinel); nothing when it is neither ASCII nor binary DXF.
    static std::optional<Layout> detect(std::string_view data, std::size_t& firstTag);

    // The next tag; false at the end of the data.
    bool next(Tag& tag) {
        if (batchRead_ < batchCount_) [[likely]] {
            // Field by field, as the line-at-a-time path stores them: a caller's compiler that saw
            // a copy in two 16-byte halves would load halves, which then wait for the narrower
            // stores of the other path to reach the cache.
            const Tag& read = batch_[batchRead_++];
            tag.code = read.code;
            tag.begin = read.begin;
            tag.valueBegin = read.valueBegin;
            tag.valueEnd = read.valueEnd;
            return true;
        }
        return nextUnbatched(tag);
    }

    // How the values of the tags it reads are read.
    TagValues values() const { return {data_, layout_}; }
    std::string_view value(const Tag& tag) const { return values().value(tag); }
    std::optional<long long> intValue(const Tag& tag) const { return values().intValue(tag); }

    // Where the data read so far ends: its last line (ASCII) or its size in bytes (binary).
    std::uint64_t endPosition() const;
    bool binary() const { return layout_ != Layout::kAscii; }

private:
    bool nextUnbatched(Tag& tag);
    bool nextAscii(Tag& tag);
    // Reads the next tags in one go, up to the first one the line-at-a-time path must read
    // because something is wrong with it; that path then reports it.
    void fillBatch();
    // Hands on to the next batch another thread filled.
    void takeFilledBatch();
    void useBatch(const FilledTags& filled, const Tag* tags);
    bool nextBinary(Tag& tag);
    // The group code on the line [begin, end), without its line end, in any form the format
    // allows; throws when it is none.
    int groupCode(std::size_t begin, std::size_t end) const;
    [[noreturn]] void truncated(std::uint64_t position) const;

    std::string_view data_;
    Layout layout_;
    std::size_t pos_;
    std::uint64_t line_;  // the line of the batch's first tag, or of the next tag without one
    const std::filesystem::path& source_;
    // When lines are found ahead: the newlines, the group-code lines seen, the batch.
    struct Ahead;
    std::unique_ptr<Ahead> ahead_;
    bool lineAtATime_ = false;  // after a tag the batch stopped at
    // Tags read in one go from batchBegin_, those the selection keeps; pos_ is where the data
    // after them starts.
    std::size_t batchBegin_ = 0;
    const Tag* batch_ = nullptr;
    std::size_t batchCount_ = 0;
    std::size_t batchRead_ = 0;
    std::size_t batchTagsRead_ = 0;  // kept or not
    bool holdingBatch_ = false;      // one another thread filled, which it waits to refill
};

}  // namespace dxf
