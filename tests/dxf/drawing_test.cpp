#include "dxf/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf/tag_scanner.h"
#include "dxf_builder.h"
#include "files.h"
#include "titleblock/field_map.h"

namespace dxf {
namespace {

using testing_support::TempFolder;

struct Fixture {
    const char* file;
    const char* version;  // the first part of every value
    const char* lastClass;
};

const Fixture kFixtures[] = {
    {"titleblock_r12.dxf", "R12", "AcDb2dPolyline"},
    {"titleblock_r2000_gbk.dxf", "R2000", "AcDbPolyline"},
    {"titleblock_r2000_gbk_binary.dxf", "R2000", "AcDbPolyline"},
    {"titleblock_r2004.dxf", "R2004", "AcDbPolyline"},
    {"titleblock_r2010.dxf", "R2010", "AcDbPolyline"},
    {"titleblock_r2018.dxf", "R2018", "AcDbPolyline"},
};

constexpr std::size_t kTitle = 3, kPartInfo = 5, kRevision = 6, kNotes = 7;

std::u16string value(const Fixture& f, std::u16string_view tag, std::u16string_view carrier) {
    return base::utf8ToUtf16(f.version) + u"/" + std::u16string(tag) + u"/" +
           std::u16string(carrier);
}

// (tag, value) of every attribute of one entity.
std::vector<std::pair<std::u16string, std::u16string>> attributesOf(const Drawing& drawing,
                                                                    std::size_t index) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    for (const auto& slot : drawing.entity(index).attributes) {
        out.emplace_back(drawing.attributeTag(slot), drawing.attributeValue(slot));
    }
    return out;
}

AttributeSlot slotTagged(const Drawing& drawing, std::size_t index, std::u16string_view tag) {
    for (const auto& slot : drawing.entity(index).attributes) {
        if (drawing.attributeTag(slot) == tag) return slot;
    }
    ADD_FAILURE() << "no attribute " << base::utf16ToUtf8(tag);
    return {};
}

// Every tag of a file as (code, value) pairs.
std::vector<std::pair<int, std::string>> tagsOf(const std::string& data) {
    std::size_t first = 0;
    const auto layout = TagScanner::detect(data, first);
    const std::filesystem::path source = "tags.dxf";  // the scanner keeps a reference to it
    TagScanner scanner(data, *layout, first, source);
    std::vector<std::pair<int, std::string>> tags;
    Tag tag;
    while (scanner.next(tag)) tags.emplace_back(tag.code, std::string(scanner.value(tag)));
    return tags;
}

TEST(Drawing, ReadsTheTitleBlockFixturesOfEveryVersion) {
    for (const auto& f : kFixtures) {
        SCOPED_TRACE(f.file);
        const testing_support::TempFolder folder;  // a copy: an open drawing is claimed
        const Drawing drawing = Drawing::open(testing_support::copyFixture(f.file, folder));
        ASSERT_EQ(drawing.modelSpaceCount(), 9U);
        std::vector<std::string> classes;
        for (std::size_t i = 0; i < drawing.modelSpaceCount(); ++i) {
            classes.emplace_back(drawing.entity(i).className);
        }
        EXPECT_EQ(classes, (std::vector<std::string>{"AcDbLine", "AcDbCircle", "AcDbBlockReference",
                                                     "AcDbBlockReference", "AcDbText",
                                                     "AcDbBlockReference", "AcDbMInsertBlock",
                                                     "AcDbBlockReference", f.lastClass}));

        const auto title = attributesOf(drawing, kTitle);
        ASSERT_EQ(title.size(), titleblock::kFieldMap.size());
        for (std::size_t i = 0; i < title.size(); ++i) {
            EXPECT_EQ(title[i].first, titleblock::kFieldMap[i].tag);
            EXPECT_EQ(title[i].second, value(f, titleblock::kFieldMap[i].tag, u"甲"));
        }
        EXPECT_EQ(attributesOf(drawing, kPartInfo)[1],
                  std::make_pair(std::u16string(u"零件代号"), value(f, u"零件代号", u"乙")));
        EXPECT_EQ(attributesOf(drawing, kRevision)[0].second, value(f, u"版本号1", u"阵列"));
        const auto notes = attributesOf(drawing, kNotes);
        ASSERT_GE(notes.size(), 4U);
        EXPECT_EQ(notes[0].second, u" ");
        EXPECT_EQ(notes[1].second, u"");
        EXPECT_EQ(notes[2].second, u"50^50\tx");
        EXPECT_EQ(notes[3].second, u"90°");
        EXPECT_TRUE(drawing.entity(2).attributes.empty());
    }
}

TEST(Drawing, SavesPutValuesAndChangesNothingElse) {
    for (const auto& f : kFixtures) {
        SCOPED_TRACE(f.file);
        TempFolder folder;
        const auto path = testing_support::copyFixture(f.file, folder);
        const std::string original = testing_support::readBytes(path);
        std::vector<std::u16string> written;
        {
            Drawing drawing = Drawing::open(path);
            for (const auto& slot : drawing.entity(kTitle).attributes) {
                written.push_back(u"新 " + drawing.attributeTag(slot) + u" ü한😀^\t\\U+0041 ");
                drawing.putAttributeValue(slot, written.back());
                EXPECT_EQ(drawing.attributeValue(slot), written.back());
            }
            drawing.putAttributeValue(slotTagged(drawing, kNotes, u"空格"), u"");
            drawing.putAttributeValue(slotTagged(drawing, kNotes, u"空"), u" ");
            drawing.save();
        }
        EXPECT_EQ(testing_support::readBytes(folder / (path.stem().string() + ".bak")), original);

        const Drawing reopened = Drawing::open(path);
        const auto title = attributesOf(reopened, kTitle);
        for (std::size_t i = 0; i < title.size(); ++i) EXPECT_EQ(title[i].second, written[i]);
        EXPECT_EQ(attributesOf(reopened, kNotes)[0].second, u"");
        EXPECT_EQ(attributesOf(reopened, kNotes)[1].second, u" ");
        EXPECT_EQ(attributesOf(reopened, kPartInfo),
                  attributesOf(Drawing::fromBytes(original, f.file), kPartInfo));

        // Tag for tag, the files differ in the 31 values put and nowhere else.
        const auto before = tagsOf(original);
        const auto after = tagsOf(testing_support::readBytes(path));
        ASSERT_EQ(before.size(), after.size());
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(before[i].first, after[i].first);
            if (before[i].second != after[i].second) {
                EXPECT_EQ(before[i].first, 1) << "tag " << i;
                ++changed;
            }
        }
        EXPECT_EQ(changed, 31);
    }
}

TEST(Drawing, PuttingTheValueAlreadyThereKeepsTheFilesBytes) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r12.dxf", folder);
    const std::string original = testing_support::readBytes(path);
    Drawing drawing = Drawing::open(path);
    const AttributeSlot slot = slotTagged(drawing, kTitle, u"产品代号");
    drawing.putAttributeValue(slot, u"something else");
    drawing.putAttributeValue(slot, u"R12/产品代号/甲");  // ezdxf wrote it with lower-case escapes
    drawing.save();
    EXPECT_EQ(testing_support::readBytes(path), original);
}

// Another program may have stored a value longer than we would write; writing it back must not
// fail, or a template read from such a drawing could never be applied to it.
TEST(Drawing, PuttingBackAValueLongerThanTheLimitKeepsTheFilesBytes) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    std::string bytes = testing_support::readBytes(path);
    const AttributeSlot slot = slotTagged(Drawing::open(path), kTitle, u"签名1");
    const std::string longValue(300, 'y');
    bytes.replace(slot.valueBegin, slot.valueEnd - slot.valueBegin, longValue);
    testing_support::writeBytes(path, bytes);

    Drawing drawing = Drawing::open(path);
    drawing.putAttributeValue(slotTagged(drawing, kTitle, u"签名1"), base::utf8ToUtf16(longValue));
    drawing.save();
    EXPECT_EQ(testing_support::readBytes(path), bytes);
}

// A put the drawing cannot carry out completely fails, and the file saved afterwards is the same.
TEST(Drawing, RefusesPutsItCannotWriteCompletely) {
    const struct {
        const char* what;
        const char* file;
        std::size_t entity;
        std::u16string tag;
        std::u16string value;
        Errc code;
    } cases[] = {
        {"multi-line attribute", "titleblock_r2018.dxf", kNotes, u"多行", u"x",
         Errc::kAttributeNotWritable},
        {"256 bytes before R2007", "titleblock_r2004.dxf", kTitle, u"签名1",
         std::u16string(256, u'x'), Errc::kValueTooLong},
        {"escapes count", "titleblock_r2004.dxf", kTitle, u"签名1", std::u16string(37, u'号'),
         Errc::kValueTooLong},
        {"2050 bytes from R2007 on", "titleblock_r2018.dxf", kTitle, u"签名1",
         std::u16string(2050, u'x'), Errc::kValueTooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const auto path = testing_support::copyFixture(c.file, folder);
        const std::string original = testing_support::readBytes(path);
        Drawing drawing = Drawing::open(path);
        const AttributeSlot slot = slotTagged(drawing, c.entity, c.tag);
        const std::u16string before = drawing.attributeValue(slot);
        try {
            drawing.putAttributeValue(slot, c.value);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.code(), c.code);
            EXPECT_NE(error.description().find(c.tag), std::u16string::npos) << error.what();
            EXPECT_NE(error.description().find(base::utf8ToUtf16(c.file)), std::u16string::npos);
        }
        EXPECT_EQ(drawing.attributeValue(slot), before);
        drawing.save();
        EXPECT_EQ(testing_support::readBytes(path), original);
    }
}

// A drawing written on Windows ends every line in CRLF; a rewritten value line must too, or
// the file ends up with mixed line ends that some readers refuse.
TEST(Drawing, KeepsCrlfOnTheValueLinesItRewrites) {
    std::string crlf;
    for (const char c :
         testing_support::readBytes(testing_support::fixturePath("titleblock_r2018.dxf"))) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    TempFolder folder;
    const auto path = folder / "crlf.dxf";
    testing_support::writeBytes(path, crlf);

    std::string expected = crlf;
    {
        Drawing drawing = Drawing::open(path);
        for (const auto& slot : drawing.entity(kTitle).attributes) {
            const std::string tag = base::utf16ToUtf8(drawing.attributeTag(slot));
            drawing.putAttributeValue(slot, base::utf8ToUtf16("新" + tag));
            const std::string old = "\r\nR2018/" + tag + "/甲\r\n";
            const std::size_t at = expected.find(old);
            ASSERT_NE(at, std::string::npos) << tag;
            expected.replace(at, old.size(), "\r\n新" + tag + "\r\n");
        }
        drawing.save();
    }
    const std::string saved = testing_support::readBytes(path);
    EXPECT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected) << "the saved drawing differs from the CRLF original beyond the "
                                      "values";
}

TEST(Drawing, TakesTheLongestValueTheVersionAllows) {
    TempFolder folder;
    const auto path = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    {
        Drawing drawing = Drawing::open(path);
        drawing.putAttributeValue(slotTagged(drawing, kTitle, u"签名1"), std::u16string(255, u'x'));
        drawing.save();
    }
    EXPECT_EQ(attributesOf(Drawing::open(path), kTitle)[17].second, std::u16string(255, u'x'));
}

// Some writers leave an empty attribute's value tag out; a put adds it after the text height.
TEST(Drawing, PutsAValueIntoAnAttributeWithoutAValueTag) {
    const testing_support::Tags entities{{0, "INSERT"}, {2, "TITLE"}, {66, "1"},
                                         {0, "ATTRIB"}, {10, "0.0"},  {40, "2.5"},
                                         {2, "签名1"},  {70, "0"},    {0, "SEQEND"}};
    const testing_support::Tags tags = testing_support::drawingTags("AC1015", "ANSI_936", entities);
    const struct {
        const char* what;
        std::string data;
        const char* lineEnd;  // of an ASCII file, whose bytes the new tag must match
    } layouts[] = {
        {"LF", testing_support::asciiDxf(tags), "\n"},
        {"CRLF", testing_support::asciiDxf(tags, "\r\n"), "\r\n"},
        {"binary R12", testing_support::binaryDxf(tags, true), nullptr},
        {"binary", testing_support::binaryDxf(tags, false), nullptr},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.what);
        TempFolder folder;
        const auto path = folder / "no_value.dxf";
        testing_support::writeBytes(path, layout.data);
        Drawing drawing = Drawing::open(path);
        const AttributeSlot empty = drawing.entity(0).attributes.front();
        EXPECT_EQ(drawing.attributeValue(empty), u"");
        drawing.putAttributeValue(empty, u"");
        drawing.save();
        EXPECT_EQ(testing_support::readBytes(path), layout.data) << "an empty put changes nothing";

        drawing.putAttributeValue(empty, u"张三 😀");
        EXPECT_EQ(drawing.attributeValue(empty), u"张三 😀");
        drawing.save();
        const Drawing reopened = Drawing::open(path, &drawing);  // shares its claim
        EXPECT_EQ(reopened.attributeValue(reopened.entity(0).attributes.front()), u"张三 😀");
        auto expected = tagsOf(layout.data);
        const auto height = std::find_if(expected.begin(), expected.end(),
                                         [](const auto& tag) { return tag.first == 40; });
        expected.insert(height + 1, {1, "\xD5\xC5\xC8\xFD \\U+D83D\\U+DE00"});
        EXPECT_EQ(tagsOf(testing_support::readBytes(path)), expected);
        if (layout.lineEnd == nullptr) continue;
        // Byte for byte: the new tag's lines end as the file's do.
        const std::string end = layout.lineEnd;
        const std::string afterHeight = "40" + end + "2.5" + end;
        std::string bytes = layout.data;
        bytes.insert(bytes.rfind(afterHeight) + afterHeight.size(),
                     "  1" + end + "\xD5\xC5\xC8\xFD \\U+D83D\\U+DE00" + end);
        EXPECT_EQ(testing_support::readBytes(path), bytes);
    }
}

TEST(Drawing, StartsUntitledAndEmpty) {
    Drawing drawing;
    EXPECT_TRUE(drawing.untitled());
    EXPECT_EQ(drawing.modelSpaceCount(), 0U);
    try {
        drawing.save();
        FAIL() << "an untitled drawing has no file to save to";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), Errc::kInvalidName);
    }
}

}  // namespace
}  // namespace dxf
