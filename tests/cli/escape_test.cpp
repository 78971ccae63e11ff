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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeValue(c.raw), c.escaped);
        EXPECT_EQ(unescapeValue(c.escaped), c.raw);
    }
}

TEST(Escape, RejectsUnknownAndUnfinishedSequences) {
    for (const std::u16string bad : {u"\\", u"abc\\", u"\\x", u"\\T", u"a\\0"}) {
        EXPECT_EQ(unescapeValue(bad), std::nullopt);
    }
}

}  // namespace
}  // namespace cli
