#include "dxf/tag_scanner.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf_builder.h"

namespace dxf {
namespace {

const std::filesystem::path kSource = "scan.dxf";

struct Scanned {
    int code;
    std::string value;
    std::size_t begin;
};

std::vector<Scanned> scanAll(const std::string& data) {
    std::size_t first = 0;
    const auto layout = TagScanner::detect(data, first);
    EXPECT_TRUE(layout);
    TagScanner scanner(data, *layout, first, kSource);
    std::vector<Scanned> out;
    Tag tag;
    while (scanner.next(tag)) out.push_back({tag.code, std::string(scanner.value(tag)), tag.begin});
    return out;
}

// The error scanning `data` throws.
Error scanError(const std::string& data) {
    try {
        scanAll(data);
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
        const Error error = scanError(c.data);
        EXPECT_EQ(error.code(), c.code) << c.what;
        EXPECT_EQ(error.number(), numberOf(c.code)) << c.what;
        EXPECT_NE(error.description().find(c.position), std::u16string::npos)
            << c.what << ": " << error.what();
        EXPECT_NE(error.description().find(u"scan.dxf"), std::u16string::npos) << c.what;
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
            const std::string data = line + after;
            TagScanner scanner(data, Layout::kAscii, 0, kSource);
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

TEST(TagScanner, DetectsNeitherAsciiNorBinary) {
    std::size_t first = 0;
    EXPECT_FALSE(TagScanner::detect("hello\nworld\n", first));
    EXPECT_FALSE(TagScanner::detect("", first));
}

}  // namespace
}  // namespace dxf
