// Odd drawings that are still drawings: mixed line ends, bytes the code page does not define,
// stray sub-entities, data after EOF. Refusing them would strand users with files other programs
// accept, so zandrel-cli apply must write them, changing the values' bytes and nothing else.

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

std::string toGbk(std::string text) {
    const iconv_t converter = ::iconv_open("GBK", "UTF-8");
    std::string out(text.size() * 2, '\0');
    char* in = text.data();
    char* to = out.data();
    std::size_t inLeft = text.size();
    std::size_t outLeft = out.size();
    const std::size_t converted = ::iconv(converter, &in, &inLeft, &to, &outLeft);
    ::iconv_close(converter);
    EXPECT_NE(converted, static_cast<std::size_t>(-1)) << text;
    out.resize(out.size() - outLeft);
    return out;
}

// Where two byte strings first differ, for a readable failure.
std::string firstDifference(const std::string& actual, const std::string& expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<std::size_t>(a - actual.begin());
    return "differs at byte " + std::to_string(at) + " of " + std::to_string(actual.size()) +
           ": \"" + actual.substr(at, 40) + "\" instead of \"" + expected.substr(at, 40) + "\"";
}

// `text` with the one occurrence of `from` replaced by `to`; an ambiguous input fails the test.
std::string replacedOnce(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " occurs twice";
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string withCrlfEveryThirdLine(const std::string& text) {
    std::string out;
    int line = 0;
    for (const char c : text) {
        if (c == '\n' && ++line % 3 == 0) out += '\r';
        out += c;
    }
    return out;
}

std::string afterEntitiesHeader(std::string text, const std::string& inserted) {
    const std::string header = "\nENTITIES\n";
    return text.insert(text.find(header) + header.size(), inserted);
}

struct Odd {
    const char* name;
    std::string drawing;
    // The drawing as apply must leave it after writing 零件名称 = 新零件名.
    std::string expected;
};

std::vector<Odd> oddInputs() {
    // Model space carries 零件名称 twice: in the title block (甲) and the part-info insert (乙).
    const auto written = [](std::string text, const std::string& version, bool gbk) {
        const auto encoded = [gbk](const std::string& utf8) { return gbk ? toGbk(utf8) : utf8; };
        for (const char* carrier : {"/甲", "/乙"}) {
            text =
                replacedOnce(text, encoded(version + "/零件名称" + carrier), encoded("新零件名"));
        }
        return text;
    };

    const std::string mixed = withCrlfEveryThirdLine(fixtureBytes("titleblock_r2018.dxf"));
    // Bytes that are no GBK or UTF-8 character, in the title block's 产品代号 and 零件代号.
    std::string gbk = fixtureBytes("titleblock_r2000_gbk.dxf");
    std::string utf8 = fixtureBytes("titleblock_r2018.dxf");
    const std::string bad("\xFF\x81\x20\x80", 4);
    for (const char* tag : {"/产品代号/甲", "/零件代号/甲"}) {
        gbk = replacedOnce(gbk, toGbk("R2000" + std::string(tag)), "R2000/" + bad);
        utf8 = replacedOnce(utf8, "R2018" + std::string(tag), "R2018/" + bad);
    }
    // A block's ATTRIB and SEQEND with no INSERT before them: the ATTRIB belongs to no block
    // reference, so its 零件名称 is not written.
    const std::string orphans =
        afterEntitiesHeader(fixtureBytes("titleblock_r2018.dxf"),
                            "  0\nATTRIB\n  8\n0\n  2\n零件名称\n  1\n孤儿\n  0\nSEQEND\n  8\n0\n");
    // As old dxflib writes: HEADER closed early, the other variables (the code page among them)
    // and a stray tag after it, outside any section.
    const std::string codePage = "  9\n$DWGCODEPAGE\n  3\nANSI_936\n";
    const std::string early =
        replacedOnce(replacedOnce(fixtureBytes("titleblock_r2000_gbk.dxf"), codePage, ""),
                     "  0\nENDSEC\n  0\nSECTION\n  2\nCLASSES\n",
                     "  0\nENDSEC\n" + codePage + "  8\nstray\n  0\nSECTION\n  2\nCLASSES\n");
    const std::string trailing =
        fixtureBytes("titleblock_r2010.dxf") + std::string("after the end\0\xFF\r\n", 17);

    return {
        {"MixedLineEnds", mixed, written(mixed, "R2018", false)},
        {"InvalidGbkBytes", gbk, written(gbk, "R2000", true)},
        {"InvalidUtf8Bytes", utf8, written(utf8, "R2018", false)},
        {"OrphanAttribute", orphans, written(orphans, "R2018", false)},
        {"DataAfterEof", trailing, written(trailing, "R2010", false)},
        {"HeaderVariablesAfterHeader", early, written(early, "R2000", true)},
    };
}

TEST(OddInput, IsWrittenChangingOnlyTheValues) {
    const TempFolder folder;
    writeBytes(folder / "values.tsv", "零件名称\t新零件名\n");
    for (const Odd& odd : oddInputs()) {
        SCOPED_TRACE(odd.name);
        const fs::path drawing = folder / (std::string(odd.name) + ".dxf");
        writeBytes(drawing, odd.drawing);
        ChildProcess cli(ZANDREL_CLI, {"apply", (folder / "values.tsv").string(), drawing});
        const Ending ending = cli.wait();
        EXPECT_EQ(ending.status, 0) << ending.err;
        const std::string saved = readBytes(drawing);
        EXPECT_TRUE(saved == odd.expected) << firstDifference(saved, odd.expected);
        const std::string backup = readBytes(fs::path(drawing).replace_extension(".bak"));
        EXPECT_TRUE(backup == odd.drawing) << firstDifference(backup, odd.drawing);
    }
}

}  // namespace
}  // namespace testing_support
