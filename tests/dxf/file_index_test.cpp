#include "dxf/file_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/unicode.h"
#include "dxf/error.h"
#include "dxf_builder.h"
#include "line_search_summaries.h"

namespace dxf {
namespace {

const std::filesystem::path kSource = "index.dxf";

using testing_support::Tags;

// The error indexing `data` throws; `what` names the case when it throws none. Every way of
// finding lines must throw it alike.
Error indexError(const std::string& data, const std::string& what) {
    const std::string oneAtATime = testing_support::indexSummary(data, LineSearch::kOneAtATime);
    for (const LineSearch search : {LineSearch::kAhead, LineSearch::kAheadInParallel}) {
        EXPECT_EQ(testing_support::indexSummary(data, search), oneAtATime) << what;
    }
    try {
        indexFile(data, kSource);
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << what << ": no error";
    return {Errc::kSystem, 0, {}};
}

// The class names of the model-space entities.
std::vector<std::string> modelSpaceClasses(const FileIndex& index) {
    std::vector<std::string> classes;
    for (std::size_t i = 0; i < index.modelSpace.size(); ++i) {
        classes.emplace_back(index.modelSpace.entity(i).className);
    }
    return classes;
}

TEST(FileIndex, ModelSpaceIsTheTopLevelEntitiesOutsidePaperSpace) {
    const Tags entities{
        {0, "LINE"},
        {8, "0"},
        {0, "INSERT"},
        {66, "1"},
        {2, "TITLE"},
        {0, "ATTRIB"},
        {67, "1"},
        {2, "TAG"},
        {1, "value"},
        {0, "SEQEND"},
        {0, "CIRCLE"},
        {67, "1"},
        {0, "POLYLINE"},
        {0, "VERTEX"},
        {0, "SEQEND"},
        {999, "a note"},
        {0, "TEXT"},
        {67, "0"},
        {0, "LINE"},
        {1001, "APP"},
        {1000, "x"},
        {0, "LINE"},
        {102, "{ACAD_REACTORS"},
        {330, "1F"},
        {102, "}"},
        {67, "1"},
    };
    const std::string data =
        testing_support::asciiDxf(testing_support::drawingTags("AC1015", "ANSI_936", entities));
    const FileIndex index = indexFile(data, kSource);
    // The INSERT's ATTRIB is in paper space, the INSERT is not; the CIRCLE and the last LINE are.
    EXPECT_EQ(modelSpaceClasses(index),
              (std::vector<std::string>{"AcDbLine", "AcDbBlockReference", "AcDb2dPolyline",
                                        "AcDbText", "AcDbLine"}));
    const auto attributes = index.modelSpace.entity(1).attributes;
    ASSERT_EQ(attributes.size(), 1U);
    EXPECT_EQ(data.substr(attributes[0].valueBegin, 5), "value");
    EXPECT_EQ(index.acadVersion, "AC1015");
    EXPECT_EQ(index.codePage, "ANSI_936");
}

TEST(FileIndex, StopsAtEofAndTakesR12WhenTheHeaderIsMissing) {
    const std::string data = testing_support::asciiDxf({{999, "written by hand"},
                                                        {0, "SECTION"},
                                                        {2, "ENTITIES"},
                                                        {0, "LINE"},
                                                        {0, "ENDSEC"},
                                                        {0, "EOF"}}) +
                             "garbage after the end\n\x01\x02";
    const FileIndex index = indexFile(data, kSource);
    EXPECT_EQ(index.modelSpace.size(), 1U);
    EXPECT_EQ(index.acadVersion, "AC1009");
    EXPECT_EQ(index.codePage, "");
}

TEST(FileIndex, ReadsBinaryDrawings) {
    const Tags entities{{0, "LINE"}, {67, "1"}, {0, "CIRCLE"}, {67, "0"}};
    for (const bool oneByte : {true, false}) {
        const FileIndex index =
            indexFile(testing_support::binaryDxf(
                          testing_support::drawingTags("AC1015", "", entities), oneByte),
                      kSource);
        EXPECT_EQ(modelSpaceClasses(index), std::vector<std::string>{"AcDbCircle"});
        EXPECT_EQ(index.acadVersion, "AC1015");
    }
}

// Old writers close HEADER after $HANDSEED and put the other variables after it; CAD programs
// skip such stray tags between sections.
TEST(FileIndex, SkipsStrayTagsBetweenSectionsAndReadsHeaderVariablesAfterHeader) {
    const Tags tags{{0, "SECTION"},   {2, "HEADER"},   {9, "$ACADVER"}, {1, "AC1015"},
                    {9, "$HANDSEED"}, {5, "FFFF"},     {0, "ENDSEC"},   {9, "$DWGCODEPAGE"},
                    {3, "ANSI_936"},  {9, "$INSBASE"}, {10, "0.0"},     {0, "SECTION"},
                    {2, "ENTITIES"},  {0, "LINE"},     {0, "ENDSEC"},   {8, "stray"},
                    {0, "ENDSEC"},    {0, "CIRCLE"},   {0, "SECTION"},  {2, "OBJECTS"},
                    {0, "ENDSEC"},    {0, "EOF"}};
    for (const bool binary : {false, true}) {
        const std::string data =
            binary ? testing_support::binaryDxf(tags, false) : testing_support::asciiDxf(tags);
        const FileIndex index = indexFile(data, kSource);
        EXPECT_EQ(index.acadVersion, "AC1015");
        EXPECT_EQ(index.codePage, "ANSI_936");
        EXPECT_EQ(index.modelSpace.size(), 1U) << "the stray CIRCLE is no entity";
    }
}

TEST(FileIndex, RejectsWhatIsNotAWholeDxfFile) {
    const std::string whole =
        testing_support::asciiDxf(testing_support::drawingTags("AC1015", "", {{0, "LINE"}}));
    const struct {
        const char* what;
        std::string data;
        Errc code;
    } cases[] = {
        {"empty", "", Errc::kNotDxf},
        {"text", "Dear reader,\nthis is a letter.\n", Errc::kNotDxf},
        {"DWG", std::string("AC1015\0\0\0\0\0\x01", 12) + "binary", Errc::kDwg},
        {"old DWG", "AC1.50 and more", Errc::kDwg},
        {"first tag is no section", testing_support::asciiDxf({{0, "LINE"}, {0, "EOF"}}),
         Errc::kNotDxf},
        {"cut before EOF", whole.substr(0, whole.size() - 6), Errc::kTruncated},
        {"cut inside ENTITIES", whole.substr(0, whole.find("ENDSEC", whole.find("ENTITIES"))),
         Errc::kTruncated},
        {"section not closed",
         testing_support::asciiDxf(
             {{0, "SECTION"}, {2, "ENTITIES"}, {0, "SECTION"}, {2, "BLOCKS"}}),
         Errc::kMalformed},
        {"section without a name",
         testing_support::asciiDxf({{0, "SECTION"}, {0, "ENDSEC"}, {0, "EOF"}}), Errc::kMalformed},
    };
    for (const auto& c : cases) {
        const Error error = indexError(c.data, c.what);
        EXPECT_EQ(error.code(), c.code) << c.what << ": " << error.what();
        EXPECT_NE(error.description().find(u"index.dxf"), std::u16string::npos) << c.what;
    }
}

TEST(FileIndex, NamesTheLineOfAMalformedTag) {
    try {
        indexFile(testing_support::asciiDxf(
                      {{0, "SECTION"}, {2, "ENTITIES"}, {0, "ENDSEC"}, {0, "SECTION"}, {8, "0"}}),
                  kSource);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find(u"第 9 行"), std::u16string::npos) << error.what();
    }
}

// Large drawings are read far ahead of the tag being looked at: what is wrong must still be found
// where it is, and nothing after EOF looked at.
TEST(FileIndex, ReadsLargeDrawingsToTheLineAsSmallOnes) {
    Tags entities;
    for (int i = 0; i < 6000; ++i) {
        entities.push_back({0, i % 2 ? " LINE" : "LINE"});
        entities.push_back({8, std::to_string(i)});
    }
    const std::string whole =
        testing_support::asciiDxf(testing_support::drawingTags("AC1015", "", entities));
    ASSERT_GT(whole.size(), 65536U);  // read ahead, not a line at a time
    const std::string middle = whole.substr(0, whole.find("\n3000\n") + 6);
    const auto lineAfter = [](const std::string& prefix) {
        return std::count(prefix.begin(), prefix.end(), '\n') + 1;
    };
    const std::string beforeEof = whole.substr(0, whole.size() - std::string("0\nEOF\n").size());

    const FileIndex index = indexFile(whole + std::string(5000, '#'), kSource);
    EXPECT_EQ(index.modelSpace.size(), 6000U);
    EXPECT_EQ(indexFile(beforeEof + " 0 \n EOF \n", kSource).modelSpace.size(), 6000U);

    const struct {
        const char* what;
        std::string data;
        Errc code;
        long line;
    } cases[] = {
        {"group code not a number", middle + " 1 0\nx\n" + whole, Errc::kMalformed,
         lineAfter(middle)},
        {"cut after a group code", whole.substr(0, whole.size() - 4), Errc::kTruncated,
         lineAfter(beforeEof)},
        {"section not closed", middle + "  0\nSECTION\n" + whole, Errc::kMalformed,
         lineAfter(middle)},
        {"section without a name", beforeEof + "  0\nSECTION\n  0\nENDSEC\n", Errc::kMalformed,
         lineAfter(beforeEof) + 2},
    };
    for (const auto& c : cases) {
        const Error error = indexError(c.data, c.what);
        EXPECT_EQ(error.code(), c.code) << c.what << ": " << error.what();
        const std::u16string line = u"第 " + base::utf8ToUtf16(std::to_string(c.line)) + u" 行";
        EXPECT_NE(error.description().find(line), std::u16string::npos)
            << c.what << ": " << error.what() << " (expected line " << c.line << ")";
    }
}

// Searching for attributes must find the block references with attributes exactly as reading every
// tag does, however the file spells and places them, and find nothing else.
TEST(FileIndex, SearchingForAttributesFindsWhatReadingEveryTagFinds) {
    using testing_support::asciiDxf;
    const auto drawing = [](const Tags& entities) {
        return testing_support::drawingTags("AC1015", "", entities);
    };
    const Tags insert{{0, "INSERT"},
                      {66, "1"},
                      {2, "TITLE"},
                      {0, "ATTRIB"},
                      {2, "A"},
                      {1, "a"},
                      {0, "ATTRIB"},
                      {999, "note"},
                      {40, "2.5"},
                      {2, "B"},
                      {101, "Embedded Object"},
                      {1, "mtext"},
                      {0, "SEQEND"}};
    Tags many;
    for (int i = 0; i < 3000; ++i) {
        const Tags line{{0, "LINE"}, {8, "ATTRIB"}};
        many.insert(many.end(), (i % 3 ? line : insert).begin(), (i % 3 ? line : insert).end());
    }
    std::string padded =
        asciiDxf(drawing({{0, "LINE"}, {0, "INSERT"}, {0, " ATTRIB\t"}, {2, "P"}}));
    padded.replace(padded.find("0\n ATTRIB"), 1, " +0 ");
    Tags twoSections{
        {0, "SECTION"}, {2, "ENTITIES"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}};
    twoSections.insert(twoSections.end(), insert.begin(), insert.end());
    twoSections.insert(twoSections.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    // Searched in two halves, the second half starts among one entity's attributes, or after the
    // section.
    Tags manyAttributes{{0, "INSERT"}};
    for (int i = 0; i < 500; ++i)
        manyAttributes.insert(manyAttributes.end(), {{0, "ATTRIB"}, {2, "M"}});
    manyAttributes.insert(manyAttributes.end(), insert.begin(), insert.end());
    Tags objectsAfter = drawing(insert);
    objectsAfter.pop_back();
    objectsAfter.insert(objectsAfter.end(), {{0, "SECTION"}, {2, "OBJECTS"}});
    for (int i = 0; i < 300; ++i)
        objectsAfter.insert(objectsAfter.end(), insert.begin(), insert.end());
    objectsAfter.insert(objectsAfter.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    Tags bothSpaces;
    for (int i = 0; i < 1000; ++i) {
        bothSpaces.insert(bothSpaces.end(), insert.begin(), insert.end());
        if (i % 2)
            bothSpaces.insert(bothSpaces.end() - static_cast<long>(insert.size()) + 1, {67, "1"});
    }
    const struct {
        const char* what;
        std::string data;
    } cases[] = {
        {"plain", asciiDxf(drawing(insert))},
        {"CRLF", asciiDxf(drawing(insert), "\r\n")},
        {"padded type and code", padded},
        {"attributes of no block reference", asciiDxf(drawing({{0, "ATTRIB"},
                                                               {2, "X"},
                                                               {0, "POLYLINE"},
                                                               {0, "VERTEX"},
                                                               {0, "ATTRIB"},
                                                               {2, "Y"},
                                                               {0, "TEXT"},
                                                               {1, "ATTRIB"},
                                                               {0, "SEQEND"}}))},
        {"in paper space",
         asciiDxf(drawing({{0, "INSERT"}, {67, "1"}, {0, "ATTRIB"}, {2, "Q"}, {0, "LINE"}}))},
        {"after a vertex and a sequence end", asciiDxf(drawing({{0, "INSERT"},
                                                                {0, "VERTEX"},
                                                                {0, "ATTRIB"},
                                                                {2, "V"},
                                                                {0, "SEQEND"},
                                                                {0, "ATTRIB"},
                                                                {2, "W"},
                                                                {0, "LINE"}}))},
        {"read ahead", asciiDxf(drawing(many))},
        {"two entity sections", asciiDxf(twoSections)},
        {"one entity with many attributes", asciiDxf(drawing(manyAttributes))},
        {"a long section after the entities", asciiDxf(objectsAfter)},
        {"many, in paper space", asciiDxf(drawing(bothSpaces))},
        {"cut inside an attribute", asciiDxf(drawing(insert)).substr(0, 150)},
        {"binary", testing_support::binaryDxf(drawing(insert), false)},
    };
    for (const auto& c : cases) {
        const std::string everyTag = testing_support::indexSummary(c.data, LineSearch::kOneAtATime,
                                                                   Reach::kEveryEntity, true);
        // kAheadInParallel searches the section as two halves.
        for (const LineSearch search : {LineSearch::kAutomatic, LineSearch::kAheadInParallel}) {
            EXPECT_EQ(testing_support::indexSummary(c.data, search,
                                                    Reach::kAttributedBlockReferences, true),
                      everyTag)
                << c.what;
            EXPECT_EQ(
                testing_support::indexSummary(c.data, search, Reach::kAttributedBlockReferences),
                everyTag)
                << c.what << ": nothing but block references with attributes";
        }
    }
}

}  // namespace
}  // namespace dxf
