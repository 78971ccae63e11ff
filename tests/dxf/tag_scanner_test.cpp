#include "dxf/tag_scanner.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf_builder.h"
#include "line_search_summaries.h"

namespace dxf {
namespace {

const std::filesystem::path kSource = "scan.dxf";

struct Scanned {
    int code;
    std::string value;
    std::size_t begin;
};

// Every way of finding lines, which must agree on everything.
constexpr LineSearch kSearches[] = {LineSearch::kOneAtATime, LineSearch::kAhead,
                                    LineSearch::kAheadInParallel};

std::vector<Scanned> scanAll(const std::string& data, LineSearch search = LineSearch::kAutomatic) {
    std::size_t first = 0;
    const auto layout = TagScanner::detect(data, first);
    EXPECT_TRUE(layout);
    TagScanner scanner(data, *layout, first, kSource, 1, search);
    std::vector<Scanned> out;
    Tag tag;
    while (scanner.next(tag)) out.push_back({tag.code, std::string(scanner.value(tag)), tag.begin});
    return out;
}

// The error scanning `data` throws.
Error scanError(const std::string& data, LineSearch search) {
    try {
        scanAll(data, search);
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return {Errc::kSystem, 0, {}};
}

TEST(TagScanner, ReadsAsciiInEveryLayout) {
    const std::pair<const char*, std::string> layouts[] = {
        {"LF", "0\nSECTION\n2\nHEADER\n"},
        {"CRLF", "0\r\nSECTION\r\n2\r\nHEADER\r\n"},
        {"padded codes", "  0\nSECTION\n  2\nHEADER\n"},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "0\nSECTION\n2\nHEADER\n"},
        {"no line end at the end", "0\nSECTION\n2\nHEADER"},
    };
    for (const auto& [what, data] : layouts) {
        const auto tags = scanAll(data);
        ASSERT_EQ(tags.size(), 2U) << what;
        EXPECT_EQ(tags[0].code, 0) << what;
        EXPECT_EQ(tags[0].value, "SECTION") << what;
        EXPECT_EQ(tags[1].code, 2) << what;
        EXPECT_EQ(tags[1].value, "HEADER") << what;
        EXPECT_EQ(data.substr(tags[1].begin, 3).find('2') != std::string::npos, true) << what;
    }
}

TEST(TagScanner, KeepsEverySpaceOfAValue) {
    const auto tags = scanAll(testing_support::asciiDxf({{1, " "}, {1, ""}, {1, "  a b  "}}));
    ASSERT_EQ(tags.size(), 3U);
    EXPECT_EQ(tags[0].value, " ");
    EXPECT_EQ(tags[1].value, "");
    EXPECT_EQ(tags[2].value, "  a b  ");
}

TEST(TagScanner, ReadsBinaryWithOneAndTwoByteGroupCodes) {
    const testing_support::Tags input{{0, "SECTION"},    {2, "ENTITIES"}, {10, "1.5"},
                                      {70, "-2"},        {1001, "APP"},   {1070, "7"},
                                      {310, "\x01\x02"}, {0, "EOF"}};
    for (const bool oneByte : {true, false}) {
        const std::string data = testing_support::binaryDxf(input, oneByte);
        std::size_t first = 0;
        const auto layout = TagScanner::detect(data, first);
        ASSERT_EQ(layout, oneByte ? Layout::kBinaryOneByteCode : Layout::kBinaryTwoByteCode);
        TagScanner scanner(data, *layout, first, kSource);
        std::vector<int> codes;
        Tag tag;
        while (scanner.next(tag)) {
            codes.push_back(tag.code);
            if (tag.code == 70) {
                EXPECT_EQ(scanner.intValue(tag), -2);
            } else if (tag.code == 1070) {
                EXPECT_EQ(scanner.intValue(tag), 7);
            } else if (tag.code == 1001) {
                EXPECT_EQ(scanner.value(tag), "APP");
            } else if (tag.code == 310) {
                EXPECT_EQ(scanner.value(tag), "\x01\x02");
            }
        }
        EXPECT_EQ(codes, (std::vector<int>{0, 2, 10, 70, 1001, 1070, 310, 0}));
    }
}

TEST(TagScanner, ReadsIntegersWrittenAsText) {
    const std::string data = testing_support::asciiDxf({{67, "     1"}, {70, "x"}});
    TagScanner scanner(data, Layout::kAscii, 0, kSource);
    Tag tag;
    ASSERT_TRUE(scanner.next(tag));
    EXPECT_EQ(scanner.intValue(tag), 1);
    ASSERT_TRUE(scanner.next(tag));
    EXPECT_EQ(scanner.intValue(tag), std::nullopt);
}

TEST(TagScanner, ReportsMalformedAndCutOffInputWithItsPosition) {
    const std::string binary = testing_support::binaryDxf({{0, "SECTION"}, {2, "ENTITIES"}}, false);
    const struct {
        const char* what;
        std::string data;
        Errc code;
        std::u16string position;
    } cases[] = {
        {"group code not a number", "0\nSECTION\nxx\nvalue\n", Errc::kMalformed, u"第 3 行"},
        {"group code out of range", "0\nSECTION\n99999\nvalue\n", Errc::kMalformed, u"第 3 行"},
        {"value line missing", "0\nSECTION\n2\n", Errc::kTruncated, u"第 3 行"},
        {"binary string without its end", binary.substr(0, binary.size() - 1), Errc::kTruncated,
         u"字节偏移 32 处"},
        {"binary number cut off",
         testing_support::binaryDxf({{0, "SECTION"}, {10, "1"}}, false).substr(0, 40),
         Errc::kTruncated, u"字节偏移 32 处"},
        {"binary group code unknown",
         testing_support::binaryDxf({{0, "SECTION"}}, false) + std::string("\xC8\0", 2),
         Errc::kMalformed, u"字节偏移 32 处"},
    };
    for (const auto& c : cases) {
        for (const LineSearch search : kSearches) {
            const Error error = scanError(c.data, search);
            EXPECT_EQ(error.code(), c.code) << c.what;
            EXPECT_EQ(error.number(), numberOf(c.code)) << c.what;
            EXPECT_NE(error.description().find(c.position), std::u16string::npos)
                << c.what << ": " << error.what();
            EXPECT_NE(error.description().find(u"scan.dxf"), std::u16string::npos) << c.what;
        }
    }
}

TEST(TagScanner, ReadsGroupCodesInEveryForm) {
    const std::pair<std::string, std::optional<int>> lines[] = {
        {"0", 0},
        {"  0", 0},
        {" 10", 10},
        {"100", 100},
        {"1001", 1001},
        {"9999", 9999},
        {"    7", 7},
        {"0007", 7},
        {"00100", 100},
        {"-1", -1},
        {"  -5", -5},
        {"+8", 8},
        {"\t9", 9},
        {"9 ", 9},
        {"12\t", 12},
        {"32767", 32767},
        {"-32768", -32768},
        {"", {}},
        {"   ", {}},
        {" 1 0", {}},
        {"1a", {}},
        {std::string("\0"
                     "5",
                     2),
         {}},
        {std::string("5\0", 2), {}},
        {"/5", {}},
        {":5", {}},
        {"32768", {}},
        {"12\r\r", {}},
    };
    for (const auto& [line, code] : lines) {
        // The code line at the very end of the data too, where it cannot be read as one word.
        for (const std::string& after : {std::string("\nvalue\n"), std::string("\nv")}) {
            for (const LineSearch search : kSearches) {
                const std::string data = line + after;
                TagScanner scanner(data, Layout::kAscii, 0, kSource, 1, search);
                Tag tag;
                if (code) {
                    ASSERT_TRUE(scanner.next(tag)) << line;
                    EXPECT_EQ(tag.code, *code) << "\"" << line << "\"";
                } else {
                    EXPECT_THROW(scanner.next(tag), Error) << "\"" << line << "\"";
                }
            }
        }
    }
}

// Drawings whose lines end at every offset of the 64-byte blocks and the stretches listed at a
// time, and that hold every kind of line the scanner must read the careful way.
std::vector<std::pair<std::string, std::string>> trickyDrawings() {
    std::string straddling;  // values of every length, some CRLF: CR and LF split across blocks
    for (int length = 0; length < 200; ++length) {
        straddling += length % 3 == 0 ? "  1\r\n" : " 10\n";
        straddling += std::string(static_cast<std::size_t>(length), 'v') + "\n";
    }
    // More tags than one batch, across several stretches, and more than a thread filling batches
    // holds before it waits for the reader.
    std::string manyTags;
    for (int i = 0; i < 12000; ++i) manyTags += "  0\nLINE\n  8\n" + std::to_string(i) + "\n";
    return {
        {"LF", "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n"},
        {"CRLF", "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"},
        {"lone CRs", "  1\na\rb\n  1\n\r\n  1\nc\r\r\n  1\n\r"},
        {"CR-only line ends", "  0\rSECTION\r  2\rENTITIES\r"},
        {"straddling blocks", straddling},
        {"many tags", manyTags},
        {"many tags, then cut off after a group code", manyTags + "  2\n"},
        {"many tags, then a bad code", manyTags + " 1 0\nx\n" + manyTags},
        {"many tags, then a code out of range", manyTags + "32768\nx\n"},
        {"many tags, no newline at the end", manyTags + "  1\nlast"},
        {"no newline at the end", "  0\nSECTION\n  2\nHEADER"},
        {"cut off after a group code", "  0\nSECTION\n  2\n"},
        {"cut off in a group code", "  0\nSECTION\n  2"},
        {"a code line ending in CR at the end", "  0\nSECTION\n  2\r"},
        {"long lines", "  1\n" + std::string(9000, 'a') + "\n" + std::string(70, ' ') +
                           "1\nb\n  1\n" + std::string(4096, 'c') + "\r\n"},
        {"codes in other forms", " 0\na\n    10\nb\n\t20\nc\n 1001\nd\n0007\ne\n9 \nf\n"},
        {"negative and signed codes", " -1\na\n-5\nb\n+7\nc\n  -32768\nd\n"},
        {"empty lines", "\n\n  0\n\n"},
        {"NUL bytes", std::string("  1\na\0b\n  1\n\0\n\0 1\nx\n", 20)},
        {"code not a number", "  0\nSECTION\n 1 0\nx\n"},
        {"code out of range", "  0\nSECTION\n32768\nx\n"},
    };
}

TEST(TagScanner, FindsTheSameTagsAndErrorsWhicheverWayItFindsLines) {
    for (const auto& [what, data] : trickyDrawings()) {
        // Shifted by a few bytes, so every line end meets every block offset.
        for (std::size_t begin = 0; begin < std::min<std::size_t>(data.size(), 5); ++begin) {
            const auto oneAtATime =
                testing_support::scanSummary(LineSearch::kOneAtATime, data, begin);
            ASSERT_FALSE(oneAtATime.empty());
            for (const LineSearch search : {LineSearch::kAhead, LineSearch::kAheadInParallel}) {
                EXPECT_EQ(testing_support::scanSummary(search, data, begin), oneAtATime)
                    << what << " from " << begin << " searching " << static_cast<int>(search);
            }
        }
    }
}

TEST(TagScanner, AReaderThatStopsEarlyStopsTheThreadFillingItsBatches) {
    std::string data;
    for (int i = 0; i < 100000; ++i) data += "  0\nLINE\n";
    for (const std::size_t stopAfter : {0, 10, 5000}) {
        TagScanner scanner(data, Layout::kAscii, 0, kSource, 1, LineSearch::kAheadInParallel);
        Tag tag;
        for (std::size_t i = 0; i < stopAfter; ++i) ASSERT_TRUE(scanner.next(tag));
        // Going out of scope here must neither hang nor leave the filler running.
    }
}

TEST(TagScanner, HandsOutTheTagsBeforeAMalformedOneFirst) {
    // A reader that stops at EOF never meets the junk after it, however far ahead lines are read.
    std::string data;
    for (int i = 0; i < 500; ++i) data += "  0\nLINE\n";
    data += "  0\nEOF\n" + std::string(10000, '#') + "\n";
    for (const LineSearch search : kSearches) {
        TagScanner scanner(data, Layout::kAscii, 0, kSource, 1, search);
        Tag tag;
        for (int i = 0; i < 501; ++i) ASSERT_TRUE(scanner.next(tag)) << i;
        EXPECT_EQ(scanner.value(tag), "EOF");
        EXPECT_EQ(scanner.endPosition(), 1002U);
        EXPECT_THROW(scanner.next(tag), Error);
    }
}

TEST(TagScanner, DetectsNeitherAsciiNorBinary) {
    std::size_t first = 0;
    EXPECT_FALSE(TagScanner::detect("hello\nworld\n", first));
    EXPECT_FALSE(TagScanner::detect("", first));
}

}  // namespace
}  // namespace dxf
