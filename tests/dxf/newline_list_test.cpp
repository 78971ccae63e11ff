#include "dxf/newline_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dxf {
namespace {

using Lister = std::size_t (*)(std::string_view, std::uint32_t*);

std::vector<std::uint32_t> expectedNewlines(std::string_view bytes) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') out.push_back(static_cast<std::uint32_t>(i));
    }
    return out;
}

// The bytes in a heap block of exactly their size, so that the sanitizer build catches a read
// past the end; the list with a guard after its room, which no lister may touch.
std::vector<std::uint32_t> listedBy(Lister lister, std::string_view bytes) {
    const auto exact = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    constexpr std::uint32_t kGuard = 0xDEADBEEF;
    std::vector<std::uint32_t> list(bytes.size() + kNewlineListSlack + 1, kGuard);
    const std::size_t count = lister(std::string_view(exact.get(), bytes.size()), list.data());
    EXPECT_EQ(list.back(), kGuard) << "wrote past the list's room";
    list.resize(count);
    return list;
}

// Newlines where vector code goes wrong: at the first and last byte of each 16-, 32- and 64-byte
// vector, whole blocks of them, next to bytes with the top bit set, CRLF, and parts of a block.
std::vector<std::string> trickyBuffers() {
    std::vector<std::string> out;
    for (const std::size_t size : {0, 1, 7, 8, 15, 16, 17, 63, 64, 65, 127, 128, 200, 513, 4100}) {
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

void expectEveryNewlineListed(Lister lister, const std::string& name) {
    for (const std::string& buffer : trickyBuffers()) {
        // From unaligned starts too: a scanner lists from wherever it stands.
        for (std::size_t start = 0; start < std::min<std::size_t>(buffer.size(), 33); ++start) {
            const std::string_view bytes = std::string_view(buffer).substr(start);
            ASSERT_EQ(listedBy(lister, bytes), expectedNewlines(bytes))
                << name << ", " << buffer.size() << " bytes from " << start;
        }
    }
}

TEST(NewlineList, EveryListerFindsEveryNewlineAtEveryOffset) {
    // Each instruction set this processor has, not only the one listNewlines() picks.
    for (const NewlineLister& lister : availableNewlineListers()) {
        expectEveryNewlineListed(lister.list, lister.name);
    }
    expectEveryNewlineListed(listNewlines, "fastest");
}

}  // namespace
}  // namespace dxf
