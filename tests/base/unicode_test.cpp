// Names that arrive as bytes come back as the same bytes, whatever they hold; text that is not a
// name still turns malformed bytes into U+FFFD.

#include "base/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    const char* what;
    std::string bytes;
    std::u16string text;
    std::u16string shown;
};

TEST(NameBytes, EveryNameSurvivesTheRoundTripAndShowsItsOddBytes) {
    const NameCase cases[] = {
        {"ASCII", "part.dxf", u"part.dxf", u"part.dxf"},
        {"UTF-8 Chinese", "\xE9\x9B\xB6\xE4\xBB\xB6.dxf", u"零件.dxf", u"零件.dxf"},
        {"GBK Chinese", "\xC1\xE3\xBC\xFE.dxf", u"\xDCC1\xDCE3\xDCBC\xDCFE.dxf",
         u"\\xC1\\xE3\\xBC\\xFE.dxf"},
        {"Latin-1", "caf\xE9.dxf", u"caf\xDCE9.dxf", u"caf\\xE9.dxf"},
        {"a real U+FFFD", "caf\xEF\xBF\xBD.dxf", u"caf\uFFFD.dxf", u"caf\uFFFD.dxf"},
        {"truncated sequence, then ASCII", "\xE9\x9B.", u"\xDCE9\xDC9B.", u"\\xE9\\x9B."},
        {"a lead byte before a valid sequence", "\xE9\xE9\x9B\xB6", u"\xDCE9零", u"\\xE9零"},
        {"overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF", u"\\xC0\\xAF"},
        {"encoded surrogate", "\xED\xB3\xA9", u"\xDCED\xDCB3\xDCA9", u"\\xED\\xB3\\xA9"},
        {"four-byte character", "\xF0\x9F\x93\x90", u"\U0001F4D0", u"\U0001F4D0"},
        {"escape after a pair", "\xF0\x9F\x93\x90\xFF", u"\U0001F4D0\xDCFF", u"\U0001F4D0\\xFF"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(base::nameBytesToUtf16(c.bytes), c.text);
        EXPECT_EQ(base::utf16ToNameBytes(c.text), c.bytes);
        EXPECT_EQ(base::visibleName(c.text), c.shown);
    }
}

TEST(NameBytes, NoTwoNamesShareBytesWithAnEscapedOne) {
    // A name with an undecodable byte must never open a sibling whose name holds U+FFFD.
    EXPECT_NE(base::utf16ToNameBytes(u"caf\xDCE9.dxf"), base::utf16ToNameBytes(u"caf\uFFFD.dxf"));
    // A lone surrogate that no byte stands for keeps its own bytes, not those of U+FFFD.
    EXPECT_EQ(base::utf16ToNameBytes(u"\xD800"), "\xED\xA0\x80");
    EXPECT_EQ(base::utf16ToNameBytes(u"\xDC41"), "\xED\xB1\x81");
}

TEST(Utf8Text, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(base::utf8ToUtf16("caf\xE9"), u"caf\uFFFD");
    EXPECT_EQ(base::utf16ToUtf8(u"caf\xDCE9"), "caf\xEF\xBF\xBD");
    EXPECT_EQ(base::utf8ToUtf16("\xE9\x9B"), u"\uFFFD");
}

}  // namespace
