#include "dxf/newline_marks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#if ZANDREL_HAVE_HIGHWAY
#include <hwy/targets.h>
#endif

namespace dxf {
namespace {

// The newlines of `bytes`, byte by byte.
std::vector<std::uint64_t> expectedMarks(std::string_view bytes) {
    std::vector<std::uint64_t> marks((bytes.size() + kMarkedBlock - 1) / kMarkedBlock);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') marks[i / kMarkedBlock] |= std::uint64_t{1} << i % kMarkedBlock;
    }
    return marks;
}

std::vector<std::uint64_t> marksBy(NewlineMarker marker, std::string_view bytes) {
    // One word more than needed, filled with ones: a marker must not write past its words.
    std::vector<std::uint64_t> marks((bytes.size() + kMarkedBlock - 1) / kMarkedBlock + 1, ~0ULL);
    marker(bytes, marks.data());
    EXPECT_EQ(marks.back(), ~0ULL) << "wrote past the marks";
    marks.pop_back();
    return marks;
}

// Inputs whose newlines sit where vector code goes wrong: at the first and last byte of each
// 16-, 32- and 64-byte vector, in runs, next to bytes with the top bit set, and in a tail that
// is no whole block.
std::vector<std::string> trickyBuffers() {
    std::vector<std::string> out;
    for (const std::size_t size : {0, 1, 7, 8, 15, 16, 17, 63, 64, 65, 127, 128, 200, 513}) {
        out.push_back(std::string(size, '\n'));
        out.push_back(std::string(size, 'x'));
        std::string edges(size, '\xff');
        for (std::size_t i = 0; i < size; ++i) {
            if (i % 16 == 0 || i % 16 == 15) edges[i] = '\n';
        }
        out.push_back(edges);
        std::string crlf;
        while (crlf.size() < size) crlf += "  0\r\nLINE\r\n\r";
        out.push_back(crlf.substr(0, size));
    }
    std::string everyByte;
    for (int repeat = 0; repeat < 3; ++repeat) {
        for (int c = 0; c < 256; ++c) everyByte.push_back(static_cast<char>(c));
    }
    out.push_back(everyByte);
    return out;
}

// Every marker, at unaligned starts too: the scanner marks from wherever it stands.
void expectEveryNewlineFound(NewlineMarker marker, const std::string& name) {
    for (const std::string& buffer : trickyBuffers()) {
        for (std::size_t start = 0; start < std::min<std::size_t>(buffer.size(), 33); ++start) {
            const std::string_view bytes = std::string_view(buffer).substr(start);
            EXPECT_EQ(marksBy(marker, bytes), expectedMarks(bytes))
                << name << ", " << buffer.size() << " bytes from " << start;
        }
    }
}

TEST(NewlineMarks, EveryMarkerFindsEveryNewlineAtEveryOffset) {
    expectEveryNewlineFound(markNewlinesScalar, "scalar");
    expectEveryNewlineFound(markNewlines, "fastest");
#if ZANDREL_HAVE_HIGHWAY
    // Each instruction set this processor has, not only the one the dispatch picks.
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        expectEveryNewlineFound(markNewlines, hwy::TargetName(target));
    }
    hwy::SetSupportedTargetsForTest(0);
#endif
}

}  // namespace
}  // namespace dxf
