// The platform's code-page converter: text in a code page reads as itself, text that is not in
// it is refused when asked to be exact, and characters a code page lacks are not written.

#include "base/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr base::CodePageId kGbk{936, "CP936"};
constexpr base::CodePageId kWestern{1252, "CP1252"};
constexpr base::CodePageId kJohab{1361, "CP1361"};

TEST(CodePage, DecodesExactlyOnlyTextThatIsWhollyInTheCodePage) {
    const struct {
        const char* what;
        base::CodePageId id;
        std::string bytes;
        std::optional<std::u16string> exactly;
    } cases[] = {
        {"nothing", kGbk, "", u""},
        {"GBK Chinese", kGbk, "\xC1\xE3\xBC\xFE", u"零件"},
        {"GBK with ASCII", kGbk, "a,\xC1\xE3;", u"a,零;"},
        {"GBK cut off at the end", kGbk, "\xC1\xE3\xBC", std::nullopt},
        {"GBK lead byte before ASCII", kGbk, "\x81 ab", std::nullopt},
        {"Western European", kWestern, "caf\xE9", u"café"},
        {"Johab's backslash is ASCII", kJohab, "\\U+0041", u"\\U+0041"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto converter = base::CodePage::open(c.id);
        ASSERT_NE(converter, nullptr);
        EXPECT_EQ(converter->decodeExactly(c.bytes), c.exactly);
        // What is wholly in the code page reads the same either way.
        if (c.exactly) {
            EXPECT_EQ(converter->decode(c.bytes), *c.exactly);
        }
    }
}

TEST(CodePage, EncodesOnlyCharactersTheCodePageHolds) {
    const struct {
        const char* what;
        base::CodePageId id;
        std::u16string character;
        std::optional<std::string> bytes;
    } cases[] = {
        {"GBK Chinese", kGbk, u"零", "\xC1\xE3"},
        {"Latin in Western European", kWestern, u"é", "\xE9"},
        {"Chinese in Western European", kWestern, u"零", std::nullopt},
        {"outside the BMP", kGbk, u"😀", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto converter = base::CodePage::open(c.id);
        ASSERT_NE(converter, nullptr);
        std::string out = "x";
        const bool written = converter->encode(c.character, out);
        EXPECT_EQ(written, c.bytes.has_value());
        EXPECT_EQ(out, "x" + c.bytes.value_or(""));
    }
}

TEST(CodePage, NoConverterForACodePageNobodyKnows) {
    EXPECT_EQ(base::CodePage::open({59999, "NO-SUCH-CODE-PAGE"}), nullptr);
}

}  // namespace
