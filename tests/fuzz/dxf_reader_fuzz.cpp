// libFuzzer target for the drawing reader. Besides not crashing, it checks the two promises the
// engine makes: a drawing saved without changes is the bytes it came from, and one saved after
// puts opens again with the values that were put and everything else in place. It also checks
// that all ways the tag scanner finds lines read the same tags and stop at the same error, and
// that indexing with each, which leaves tags out where lines are found ahead, finds the same, and
// that searching for attributes finds the same block references with attributes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dxf/drawing.h"
#include "dxf/error.h"
#include "dxf/tag_scanner.h"
#include "line_search_summaries.h"

namespace {

std::string contentOf(const dxf::Drawing& drawing) {
    std::string content;
    drawing.forEachPieceOfContent([&](std::string_view piece) { content += piece; });
    return content;
}

void check(bool condition) {
    if (!condition) std::abort();
}

// Puts a value that needs escapes and carets into every attribute that takes one; returns what
// each attribute should read afterwards.
std::vector<std::vector<std::u16string>> putValues(dxf::Drawing& drawing) {
    std::vector<std::vector<std::u16string>> expected;
    for (std::size_t i = 0; i < drawing.modelSpaceCount(); ++i) {
        auto& values = expected.emplace_back();
        for (const auto& slot : drawing.entity(i).attributes) {
            const std::u16string value =
                u"新^\t\\U+0041 " + drawing.attributeTag(slot).substr(0, 8);
            try {
                drawing.putAttributeValue(slot, value);
            } catch (const dxf::Error&) {
                // Not writable: it keeps its value.
            }
            values.push_back(drawing.attributeValue(slot));
        }
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t firstTag = 0;
    if (dxf::TagScanner::detect(input, firstTag) == dxf::Layout::kAscii) {
        using testing_support::indexSummary;
        using testing_support::scanSummary;
        const auto oneAtATime = scanSummary(dxf::LineSearch::kOneAtATime, input, firstTag);
        check(oneAtATime == scanSummary(dxf::LineSearch::kAhead, input, firstTag));
        check(oneAtATime == scanSummary(dxf::LineSearch::kAheadInParallel, input, firstTag));
        const auto indexed = indexSummary(input, dxf::LineSearch::kOneAtATime);
        check(indexed == indexSummary(input, dxf::LineSearch::kAhead));
        check(indexed == indexSummary(input, dxf::LineSearch::kAheadInParallel));
        // Searching for attributes, whole or as two halves, finds the block references that
        // have them as reading every tag does, wherever that accepts the file.
        const auto attributed =
            indexSummary(input, dxf::LineSearch::kOneAtATime, dxf::Reach::kEveryEntity, true);
        for (const auto search : {dxf::LineSearch::kAutomatic, dxf::LineSearch::kAheadInParallel}) {
            check(attributed.starts_with("error ") ||
                  attributed ==
                      indexSummary(input, search, dxf::Reach::kAttributedBlockReferences, true));
        }
    }
    std::optional<dxf::Drawing> drawing;
    try {
        drawing = dxf::Drawing::fromBytes(input, "fuzz.dxf");
    } catch (const dxf::Error&) {
        return 0;  // malformed input is refused with a numbered error, as it should be
    }
    check(contentOf(*drawing) == input);
    const auto expected = putValues(*drawing);

    // Anything thrown from here on escapes and counts as a failure.
    const dxf::Drawing saved = dxf::Drawing::fromBytes(contentOf(*drawing), "fuzz.dxf");
    check(saved.modelSpaceCount() == drawing->modelSpaceCount());
    for (std::size_t i = 0; i < saved.modelSpaceCount(); ++i) {
        const auto attributes = saved.entity(i).attributes;
        check(attributes.size() == expected[i].size());
        for (std::size_t j = 0; j < attributes.size(); ++j) {
            check(saved.attributeValue(attributes[j]) == expected[i][j]);
        }
    }
    return 0;
}
