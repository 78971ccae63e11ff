#include "ops/restore_saves.h"

#include <gtest/gtest.h>

#include "fake_cad.h"
#include "ops/batch_list.h"

namespace ops {
namespace {

using testing_support::insert;

TEST(RestoreSaves, TradesEachDrawingWithItsBackupAndGoesOnPastOneWithout) {
    const struct {
        const char* name;
        std::vector<std::u16string> drawings;
        std::vector<std::string> reports;
        std::u16string aAfter;  // the value /d/a.dxf holds afterwards
        bool refused = false;   // the list itself: nothing is restored
    } cases[] = {
        {"each restored", {u"/d/a.dxf", u"/d/c.dxf"}, {"0 restored", "1 restored"}, u"旧"},
        {"a failure between",
         {u"/d/a.dxf", u"/d/b.dxf", u"/d/c.dxf"},
         {"0 restored", "1 没有备份 /d/b.bak", "2 restored"},
         u"旧"},
        {"a failure first",
         {u"/d/b.dxf", u"/d/a.dxf"},
         {"0 没有备份 /d/b.bak", "1 restored"},
         u"旧"},
        {"one drawing named twice, which would undo its own restore",
         {u"/d/c.dxf", u"/d/a.dxf", u"/d/a.dxf"},
         {},
         u"新",
         true},
        {"a missing drawing", {u"/d/x.dxf"}, {"0 没有备份 /d/x.bak"}, u"新"},
        {"nothing", {}, {}, u"新"},
    };
    for (const auto& c : cases) {
        for (const std::size_t workers : {1, 4}) {
            SCOPED_TRACE(std::string(c.name) + ", workers: " + std::to_string(workers));
            testing_support::Log log;
            testing_support::Cad cad(log);
            cad.addDrawing(u"/d/a.dxf", {insert({{u"零件名称", u"新"}})});
            cad.addDrawing(u"/d/a.bak", {insert({{u"零件名称", u"旧"}})});
            cad.addDrawing(u"/d/b.dxf", {insert({{u"零件名称", u"乙"}})});
            cad.addDrawing(u"/d/c.dxf", {insert({{u"零件名称", u"新"}})});
            cad.addDrawing(u"/d/c.bak", {insert({{u"零件名称", u"旧"}})});
            const testing_support::Files files(cad);

            std::vector<std::string> reports;
            bool refused = false;
            try {
                restoreLastSaves(
                    files, c.drawings, workers,
                    [&reports](std::size_t index, const std::optional<cad::Error>& failure) {
                        reports.push_back(
                            std::to_string(index) + " " +
                            (failure ? testing_support::utf8(failure->description()) : "restored"));
                    });
            } catch (const BatchListError&) {
                refused = true;
            }
            EXPECT_EQ(refused, c.refused);

            EXPECT_EQ(reports, c.reports);
            const auto value = [&cad](const std::u16string& path) {
                return cad.drawing(path).modelSpace.at(0).attributes.at(0).value;
            };
            EXPECT_EQ(value(u"/d/a.dxf"), c.aAfter);
            EXPECT_EQ(value(u"/d/b.dxf"), u"乙");
        }
    }
}

}  // namespace
}  // namespace ops
