// A save that would write the bytes the file already has writes nothing: no new backup, no new
// time.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "dxf/drawing.h"
#include "files.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

constexpr std::size_t kTitle = 3;  // the title block's place in the fixtures' model space

TEST(Save, AnUnchangedSaveWritesNothing) {
    const struct {
        const char* what;
        std::function<void(Drawing&)> change;
    } cases[] = {
        {"nothing put", [](Drawing&) {}},
        {"the values already there",
         [](Drawing& d) {
             for (const auto& slot : d.entity(kTitle).attributes) {
                 d.putAttributeValue(slot, d.attributeValue(slot));
             }
         }},
        {"a value put and put back",
         [](Drawing& d) {
             const auto slot = d.entity(kTitle).attributes.front();
             const std::u16string old = d.attributeValue(slot);
             d.putAttributeValue(slot, u"其他");
             d.putAttributeValue(slot, old);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
        testing_support::writeBytes(folder / "titleblock_r2004.bak", "the only backup");
        const fs::file_time_type modified = fs::last_write_time(drawing) - std::chrono::hours(1);
        fs::last_write_time(drawing, modified);
        const std::string bytes = testing_support::readBytes(drawing);
        Drawing open = Drawing::open(drawing);
        c.change(open);
        open.save();
        EXPECT_EQ(fs::last_write_time(drawing), modified);
        EXPECT_EQ(testing_support::readBytes(drawing), bytes);
        EXPECT_EQ(testing_support::readBytes(folder / "titleblock_r2004.bak"), "the only backup");
        // Once saved, saving the same values again writes nothing either.
        open.putAttributeValue(open.entity(kTitle).attributes.front(), u"齿轮轴");
        open.save();
        const std::string saved = testing_support::readBytes(drawing);
        open.save();
        EXPECT_EQ(testing_support::readBytes(folder / "titleblock_r2004.bak"), bytes);
        EXPECT_EQ(testing_support::readBytes(drawing), saved);
    }
}

}  // namespace
}  // namespace dxf
