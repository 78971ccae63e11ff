#include "cli/escape.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

TEST(Escape, RoundTripsEveryCharacterThatWouldBreakALine) {
    const struct {
        std::u16string raw;
        std::u16string escaped;
    } cases[] = {
        {u"", u""},
        {u" ", u" "},
        {u"50^50\tx", u"50^50\\tx"},
        {u"第一行\r\n第二行", u"第一行\\r\\n第二行"},
        {u"C:\\图纸\\", u"C:\\\\图纸\\\\"},
        {u"\\t", u"\\\\t"},  // a literal backslash and t stays two characters
        // Control characters that would steer a terminal: ESC, BEL, NUL, DEL, a C1 CSI.
        {u"\x1b[31m红\a", u"\\x1B[31m红\\x07"},
        {std::u16string(u"a\0b", 3), u"a\\x00b"},
        {u"\x7f\x9b", u"\\x7F\\x9B"},
        {u"x41 \u00a0", u"x41 \u00a0"},  // no-break space is text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeValue(c.raw), c.escaped);
        EXPECT_EQ(unescapeValue(c.escaped), c.raw);
    }
}

TEST(Escape, RejectsUnknownAndUnfinishedSequences) {
    for (const std::u16string bad :
         {u"\\", u"abc\\", u"\\x", u"\\T", u"a\\0", u"\\x1", u"\\xG1", u"\\x 1"}) {
        EXPECT_EQ(unescapeValue(bad), std::nullopt);
    }
}

TEST(Escape, ReadsHexEscapesInEitherCase) {
    EXPECT_EQ(unescapeValue(u"\\x1b\\x1B\\x41"),
              u"\x1b\x1b"
              u"A");
}

}  // namespace
}  // namespace cli
