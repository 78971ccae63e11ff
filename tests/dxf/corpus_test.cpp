#include <gtest/gtest.h>

#include <string>

#include "dxf/drawing.h"
#include "files.h"
#include "line_search_summaries.h"

namespace dxf {
namespace {

// What the corpus README says each drawing holds, as ezdxf sees it.
struct CorpusFile {
    const char* name;
    std::size_t modelSpace;
    std::size_t inserts;
    std::size_t attributes;
};

const CorpusFile kCorpus[] = {
    {"multi_insert_with_attribs.dxf", 1, 1, 3},
    {"uncommon.dxf", 82, 1, 1},
    {"text.dxf", 222, 1, 4},
    {"insert_bricscad_level_1.dxf", 24, 6, 0},
    {"caret_encoding.dxf", 61, 0, 0},
    {"dxf_unicode.dxf", 0, 0, 0},
    {"4_world.dxf", 2875, 0, 0},
    {"small_r14.dxf", 0, 0, 0},
    {"ASCII_R12.dxf", 3, 1, 0},
    {"cc_dxflib.dxf", 1, 0, 0},
    {"R12_with_trash_beyond_EOF.dxf", 1, 0, 0},
    {"Minimal_DXF_AC1009.dxf", 0, 0, 0},
    {"bin_dxf_r12.dxf", 3, 0, 0},
    {"bin_dxf_r2000.dxf", 1, 0, 0},
    {"acadsharp/dynamic-blocks/BLOCKALIGNMENTPARAMETER.dxf", 1, 1, 0},
    {"acadsharp/dynamic-blocks/BLOCKBASEPOINTPARAMETER.dxf", 1, 1, 0},
    {"acadsharp/dynamic-blocks/BLOCKFLIPPARAMETER.dxf", 2, 2, 0},
    {"acadsharp/dynamic-blocks/BLOCKLINEARPARAMETER.dxf", 2, 2, 0},
    {"acadsharp/dynamic-blocks/BLOCKLOOKUPPARAMETER.dxf", 4, 4, 0},
    {"acadsharp/dynamic-blocks/BLOCKPOINTPARAMETER.dxf", 3, 3, 0},
    {"acadsharp/dynamic-blocks/BLOCKPOLARPARAMETER.dxf", 2, 2, 0},
    {"acadsharp/dynamic-blocks/BLOCKROTATIONPARAMETER.dxf", 4, 4, 0},
    {"acadsharp/dynamic-blocks/BLOCKVISIBILITYPARAMETER.dxf", 4, 4, 0},
    {"acadsharp/dynamic-blocks/BLOCKXYPARAMETER.dxf", 2, 2, 0},
    {"acadsharp/geolocation/geoloc.dxf", 0, 0, 0},
    {"acadsharp/geolocation/geoloc_AC1021.dxf", 0, 0, 0},
    {"acadsharp/sample_AC1009_ascii.dxf", 157, 45, 4},
    {"acadsharp/sample_AC1009_binary.dxf", 157, 45, 4},
    {"acadsharp/sample_AC1015_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1015_binary.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1018_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1018_binary.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1021_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1021_binary.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1024_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1024_binary.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1027_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1027_binary.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1032_ascii.dxf", 163, 6, 4},
    {"acadsharp/sample_AC1032_binary.dxf", 163, 6, 4},
};

TEST(Corpus, EveryDrawingOpensWithWhatItHoldsAndSavesUnchanged) {
    const auto corpus = testing_support::corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder in this checkout";
    for (const auto& file : kCorpus) {
        SCOPED_TRACE(file.name);
        testing_support::TempFolder folder;
        const std::string original = testing_support::readBytes(corpus / file.name);
        const auto path = folder / std::filesystem::path(file.name).filename().string();
        testing_support::writeBytes(path, original);

        // However lines are found, and whatever tags that leaves out, the index is the same.
        const std::string indexed =
            testing_support::indexSummary(original, LineSearch::kOneAtATime);
        for (const LineSearch search : {LineSearch::kAhead, LineSearch::kAheadInParallel}) {
            EXPECT_EQ(testing_support::indexSummary(original, search), indexed);
        }

        Drawing drawing = Drawing::open(path);
        std::size_t inserts = 0, attributes = 0;
        for (std::size_t i = 0; i < drawing.modelSpaceCount(); ++i) {
            const EntityDetails entity = drawing.entity(i);
            if (entity.className != "AcDbBlockReference" &&
                entity.className != "AcDbMInsertBlock") {
                continue;
            }
            ++inserts;
            attributes += entity.attributes.size();
        }
        EXPECT_EQ(drawing.modelSpaceCount(), file.modelSpace);
        EXPECT_EQ(inserts, file.inserts);
        EXPECT_EQ(attributes, file.attributes);

        std::string content;
        drawing.forEachPieceOfContent([&](std::string_view piece) { content += piece; });
        EXPECT_EQ(content, original);
        drawing.save();
        EXPECT_EQ(testing_support::readBytes(path), original);
        EXPECT_EQ(folder.names().size(), 1U) << "an unchanged save writes nothing";
    }
}

}  // namespace
}  // namespace dxf
