#include "dxf/text_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "base/unicode.h"

namespace dxf {
namespace {

TextCodec codecFor(std::string_view version, std::string_view codePage = {}) {
    std::string unsupported;
    auto codec = TextCodec::forDrawing(version, codePage, unsupported);
    EXPECT_TRUE(codec) << "no converter for " << unsupported;
    return *codec;
}

struct DecodeCase {
    const char* what;
    const char* version;
    const char* codePage;
    std::string raw;
    std::u16string expected;
};

TEST(TextCodec, DecodesCodePagesEscapesAndCarets) {
    const DecodeCase cases[] = {
        {"plain ASCII", "AC1032", "", "abc", u"abc"},
        {"one space", "AC1032", "", " ", u" "},
        {"empty", "AC1032", "", "", u""},
        {"UTF-8 from R2007 on", "AC1021", "ANSI_936", "\xE6\xA0\x87\xE9\xA2\x98", u"标题"},
        {"exactly four hex digits", "AC1009", "", "\\U+53f75", u"号5"},
        {"upper-case hex", "AC1032", "", "\\U+00FC\\U+00fc", u"üü"},
        {"too few hex digits stay text", "AC1009", "", "\\U+53F", u"\\U+53F"},
        {"lower-case u is no escape", "AC1009", "", "\\u+00fc", u"\\u+00fc"},
        {"a surrogate pair in two escapes", "AC1015", "", "\\U+D83D\\U+DE00", u"😀"},
        {"\\M+5 is GBK", "AC1015", "", "\\M+5D6D0", u"中"},
        {"\\M+1 is Shift-JIS", "AC1015", "", "\\M+193FA", u"日"},
        {"\\M+ with a digit out of range", "AC1015", "", "\\M+9D6D0", u"\\M+9D6D0"},
        {"tab and line feed", "AC1032", "", "a^Ib^Jc", u"a\tb\nc"},
        {"caret space is a caret", "AC1032", "", "50^ 50", u"50^50"},
        {"caret NUL", "AC1032", "", "^@", std::u16string(1, u'\0')},
        {"caret caret is a control character", "AC1032", "", "^^ ", u"\x1E "},
        {"caret before a lower-case letter stays", "AC1032", "", "abc^adef", u"abc^adef"},
        {"caret at the end stays", "AC1032", "", "x^", u"x^"},
        {"an escaped caret is not read again", "AC1032", "", "\\U+005E^ ", u"^^"},
        {"GBK", "AC1015", "ANSI_936", "\xB1\xEA\xCC\xE2\xC0\xB8", u"标题栏"},
        {"GBK trail bytes \\ and ^", "AC1015", "ANSI_936", "\x81\x5C\x81\x5EU+0041", u"乗乛U+0041"},
        {"Big5", "AC1015", "ANSI_950", "\xBC\xD0\xC3\x44\xA4\x5C", u"標題么"},
        {"Shift-JIS", "AC1018", "ANSI_932", "\x93\xFA\x96\x7B\x97\x5C", u"日本予"},
        {"Korean", "AC1018", "ANSI_949", "\xC7\xD1", u"한"},
        {"Thai", "AC1018", "ANSI_874", "\xE4\xB7\xC2", u"ไทย"},
        {"Cyrillic", "AC1018", "ANSI_1251", "\xC6", u"Ж"},
        {"DOS850", "AC1027", "DOS850", "\xC3\xBC", u"ü"},
        {"DOS850 before R2007", "AC1018", "DOS850", "\x81", u"ü"},
        {"no code page means ANSI_1252", "AC1009", "", "\xE9", u"é"},
        {"an unknown code page means ANSI_1252", "AC1009", "ANSI_9999", "\xE9", u"é"},
        {"code page names in any case", "AC1009", "ansi_936", "\xD6\xD0", u"中"},
        {"an undefined GBK byte", "AC1015", "ANSI_936", "a\xFF", u"a\uFFFD"},
        {"CP1258 keeps its last letter", "AC1015", "ANSI_1258", "Vi\xEA\xF2t Nam", u"Việt Nam"},
        {"CP1258 one letter", "AC1015", "ANSI_1258", "\xC3", u"Ă"},
        {"CP1255 keeps its last letter", "AC1015", "ANSI_1255", "\xF9\xEC\xE5\xED", u"שלום"},
        {"UTF-8 named before R2007", "AC1015", "UTF-8", "\xE4\xB8\xAD", u"中"},
        {"escapes after UTF-8 text", "AC1032", "", "\xE4\xB8\xAD\\U+0041^Ix", u"中A\tx"},
        {"one non-ASCII byte after many", "AC1009", "ANSI_1252", "abcdefghijklmnop\xE9",
         u"abcdefghijklmnopé"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codecFor(c.version, c.codePage).decode(c.raw), c.expected) << c.what;
    }
}

struct EncodeCase {
    const char* what;
    const char* version;
    const char* codePage;
    std::u16string text;
    std::string expected;
};

TEST(TextCodec, EncodesInTheFilesCodePageAndEscapesTheRest) {
    const EncodeCase cases[] = {
        {"GBK", "AC1015", "ANSI_936", u"标题栏", "\xB1\xEA\xCC\xE2\xC0\xB8"},
        {"missing from GBK", "AC1015", "ANSI_936", u"a한", "a\\U+D55C"},
        {"missing from ANSI_1252", "AC1009", "ANSI_1252", u"号5", "\\U+53F75"},
        {"outside the BMP", "AC1009", "ANSI_1252", u"😀", "\\U+D83D\\U+DE00"},
        {"ANSI_1252", "AC1009", "ANSI_1252", u"é", "\xE9"},
        {"no code page: nothing through the guess", "AC1009", "", u"é a", "\\U+00E9 a"},
        {"an unknown code page", "AC1015", "ANSI_99999", u"中", "\\U+4E2D"},
        {"an alias", "AC1015", "gbk", u"中", "\xD6\xD0"},
        {"CP932 yen reads back as a backslash", "AC1015", "ANSI_932", u"¥100", "\\U+00A5100"},
        {"yen before U+ injects no escape", "AC1015", "ANSI_932", u"¥U+4E2D", "\\U+00A5U+4E2D"},
        {"CP1258 combining mark after a letter", "AC1015", "ANSI_1258", u"e\u0301", "e\\U+0301"},
        {"CP1258 composed letter", "AC1015", "ANSI_1258", u"Ă", "\xC3"},
        {"CP1258 letter only a composing reader reads whole", "AC1015", "ANSI_1258", u"ệ",
         "\\U+1EC7"},
        {"UTF-8", "AC1032", "", u"한", "\xED\x95\x9C"},
        {"UTF-8 outside the BMP", "AC1032", "", u"😀", "\xF0\x9F\x98\x80"},
        {"a lone surrogate", "AC1032", "", std::u16string(1, char16_t(0xD800)), "\\U+D800"},
        {"control characters", "AC1032", "", u"a\tb\r\n", "a^Ib^M^J"},
        {"caret", "AC1032", "", u"^", "^ "},
        {"backslash that would start an escape", "AC1032", "", u"\\U+1234", "\\U+005CU+1234"},
        {"backslash before \\M+", "AC1015", "", u"\\M+5D6D0", "\\U+005CM+5D6D0"},
        {"backslash alone", "AC1032", "", u"C:\\x\\", "C:\\x\\"},
        {"one space", "AC1015", "ANSI_936", u" ", " "},
        {"empty", "AC1015", "ANSI_936", u"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codecFor(c.version, c.codePage).encode(c.text), c.expected) << c.what;
    }
}

TEST(TextCodec, EveryValueSurvivesARoundTripInEveryEncoding) {
    const std::u16string values[] = {
        u"",
        u" ",
        u"  a  ",
        u"标题栏",
        u"^",
        u"^^ ^",
        u"\\U+0041",
        u"\\M+5D6D0",
        u"\t\n\r",
        u"😀",
        u"\\",
        u"x\\",
        u"한글",
        u"€",
        u"ü é ß",
        u"乗乛予么",
        u"R2004/零件名称/乙",
        std::u16string(1, u'\0'),
        std::u16string(1, char16_t(0xDC00)),
    };
    const std::pair<const char*, const char*> codecs[] = {
        {"AC1009", ""},         {"AC1015", "ANSI_936"}, {"AC1015", "ANSI_950"},
        {"AC1018", "ANSI_932"}, {"AC1018", "DOS850"},   {"AC1024", ""},
    };
    for (const auto& [version, codePage] : codecs) {
        const TextCodec codec = codecFor(version, codePage);
        for (const auto& value : values) {
            EXPECT_EQ(codec.decode(codec.encode(value)), value)
                << version << " " << codePage << " " << base::utf16ToUtf8(value);
        }
    }
}

TEST(TextCodec, NamesTheCodePageAndWhetherItWasGuessed) {
    const struct {
        const char* version;
        const char* codePage;
        std::string_view name;
        bool guessed;
    } cases[] = {
        {"AC1015", "ANSI_936", "ANSI_936", false},   {"AC1015", "CP936", "ANSI_936", false},
        {"AC1015", "GB2312", "ANSI_936", false},     {"AC1015", "big5", "ANSI_950", false},
        {"AC1015", "SJIS", "ANSI_932", false},       {"AC1015", "cp1258", "ANSI_1258", false},
        {"AC1015", "utf-8", "UTF-8", false},         {"AC1015", "", "ANSI_1252", true},
        {"AC1009", "ANSI_99999", "ANSI_1252", true}, {"AC1032", "", "UTF-8", false},
        {"AC1024", "ANSI_936", "UTF-8", false},
    };
    for (const auto& c : cases) {
        const CodePageUse use = codecFor(c.version, c.codePage).codePage();
        EXPECT_EQ(use.name, c.name) << c.version << " " << c.codePage;
        EXPECT_EQ(use.guessed, c.guessed) << c.version << " " << c.codePage;
    }
}

TEST(TextCodec, KnowsWhichVersionsStoreUtf8) {
    EXPECT_FALSE(storesUtf8("AC1009"));
    EXPECT_FALSE(storesUtf8("AC1018"));
    EXPECT_TRUE(storesUtf8("AC1021"));
    EXPECT_TRUE(storesUtf8("AC1032"));
}

}  // namespace
}  // namespace dxf
