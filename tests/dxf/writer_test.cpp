#include "dxf/writer.h"

#include <gtest/gtest.h>

#include <string>

namespace dxf {
namespace {

std::string compose(std::string_view original, const Patches& patches) {
    std::string out;
    forEachPiece(original, patches, [&](std::string_view piece) { out += piece; });
    return out;
}

TEST(Writer, ComposesTheOriginalWithItsPatches) {
    EXPECT_EQ(compose("abcdef", {}), "abcdef");
    EXPECT_EQ(compose("abcdef", {{0, {1, "X"}}}), "Xbcdef");
    EXPECT_EQ(compose("abcdef", {{2, {4, ""}}}), "abef");
    EXPECT_EQ(compose("abcdef", {{5, {6, "YZ"}}}), "abcdeYZ");
    EXPECT_EQ(compose("abcdef", {{1, {2, "1"}}, {2, {3, "2"}}, {3, {3, "+"}}}), "a12+def");
}

}  // namespace
}  // namespace dxf
