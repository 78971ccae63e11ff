#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dxf/drawing.h"
#include "dxf/error.h"
#include "files.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// What opening `path` again does while it is open: "locked", "opened" or the error.
std::string secondOpen(const fs::path& path) {
    try {
        Drawing::open(path);
        return "opened";
    } catch (const Error& error) {
        return error.code() == Errc::kLocked ? "locked" : error.what();
    }
}

TEST(DrawingLock, AnOpenDrawingHoldsItsFileUntilItGoesAndItsOwnReopenShares) {
    TempFolder folder;
    const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
    std::optional<Drawing> open = Drawing::open(drawing);
    EXPECT_EQ(secondOpen(drawing), "locked");
    // The engine reopening the drawing it holds (a template that is also in the batch).
    open = Drawing::open(drawing, &*open);
    EXPECT_EQ(secondOpen(drawing), "locked");
    open.reset();
    EXPECT_EQ(secondOpen(drawing), "opened");
}

}  // namespace
}  // namespace dxf
