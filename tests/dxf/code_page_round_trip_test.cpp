#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"
#include "dxf/code_page.h"
#include "dxf/drawing.h"
#include "dxf_builder.h"
#include "files.h"
#include "temp_folder.h"

namespace dxf {
namespace {

// Characters no legacy code page holds, or holds only in another form.
const std::u16string kForeign[] = {
    u"中文标题栏",   u"日本語",      u"한국어", u"😀 🀄",  u"e\u0301 a\u0308 n\u0303",
    u"\u0301 first", u"Việt Nam",    u"Ă",      u"שָׁלוֹם", u"¥100 ¥U+4E2D",
    u"— ¬ £ ¢ ‖",    u"\\U+0041 ^J",
};

// Every BMP character `info`'s converter writes, in values short enough for any version.
std::vector<std::u16string> encodableValues(const CodePageInfo& info) {
    std::vector<std::u16string> values;
    const auto converter = base::CodePage::open(info.id);
    if (!converter) return values;
    std::u16string value;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string character(1, static_cast<char16_t>(c));
        std::string bytes;
        if (!converter->encode(character, bytes)) continue;
        value += character;
        // 30 characters take at most 210 bytes, even when every one is escaped.
        if (value.size() == 30) values.push_back(std::exchange(value, {}));
    }
    if (!value.empty()) values.push_back(value);
    return values;
}

// A drawing with one block reference carrying `count` empty attributes T0, T1, …
std::string drawingWithAttributes(const std::string& version, const std::string& codePage,
                                  std::size_t count) {
    testing_support::Tags entities{{0, "INSERT"}, {2, "TITLE"}, {66, "1"}};
    for (std::size_t i = 0; i < count; ++i) {
        entities.insert(entities.end(), {{0, "ATTRIB"},
                                         {10, "0.0"},
                                         {40, "2.5"},
                                         {1, ""},
                                         {2, "T" + std::to_string(i)},
                                         {70, "0"}});
    }
    entities.emplace_back(0, "SEQEND");
    return testing_support::asciiDxf(testing_support::drawingTags(version, codePage, entities));
}

TEST(CodePageRoundTrip, EveryValueReadsBackAsWrittenInEveryCodePage) {
    struct Case {
        std::string version;
        std::string codePage;
    };
    std::vector<Case> cases;
    for (const CodePageInfo& info : knownCodePages()) {
        cases.push_back({"AC1018", std::string(info.dxfName)});
    }
    cases.push_back({"AC1032", ""});
    cases.push_back({"AC1015", ""});  // guessed: ANSI_1252 read, nothing written through it
    cases.push_back({"AC1015", "ANSI_99999"});  // the same for a name nobody knows

    for (const Case& c : cases) {
        SCOPED_TRACE(c.version + " " + c.codePage);
        std::vector<std::u16string> values = encodableValues(
            findCodePage(c.codePage)
                .value_or(*findCodePage(c.version >= "AC1021" ? "UTF-8" : "ANSI_1252")));
        values.insert(values.end(), std::begin(kForeign), std::end(kForeign));

        testing_support::TempFolder folder;
        const auto path = folder / "round_trip.dxf";
        testing_support::writeBytes(path,
                                    drawingWithAttributes(c.version, c.codePage, values.size()));
        Drawing drawing = Drawing::open(path);
        const auto slots = drawing.entity(0).attributes;
        ASSERT_EQ(slots.size(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            drawing.putAttributeValue(slots[i], values[i]);
        drawing.save();

        const Drawing reopened = Drawing::open(path, &drawing);  // shares its claim
        const auto read = reopened.entity(0).attributes;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::u16string back = reopened.attributeValue(read[i]);
            if (back == values[i]) continue;
            ADD_FAILURE() << "wrote " << base::utf16ToUtf8(values[i]) << "\nread  "
                          << base::utf16ToUtf8(back);
            break;
        }
    }
}

}  // namespace
}  // namespace dxf
