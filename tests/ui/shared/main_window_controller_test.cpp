#include "ui/shared/main_window_controller.h"

#include <gtest/gtest.h>

#include <map>

#include "base/unicode.h"
#include "scripted_cad.h"

namespace shared {
namespace {

using namespace std::string_literals;  // u"..."s keeps the U+0000 separators inside literals

// A face that writes down, in order, what the controller shows on it and asks of it.
class Face : public MainWindowFace {
public:
    // Every field starts with a sample text, as the windows' design gives them.
    Face() {
        for (int field = 1; field <= 29; ++field) fields.emplace(field, u"样");
    }
    std::u16string text(int field) const override { return fields.at(field); }
    void setText(int field, const std::u16string& text) override { fields[field] = text; }
    ops::FileDialog& fileDialog() override { return dialog; }
    ops::Progress& progress() override { return bar; }
    void showMessage(const std::u16string& text, MessageKind kind) override {
        said.push_back((kind == MessageKind::kFailure ? "failure: " : "notice: ") +
                       base::utf16ToUtf8(text));
    }
    void end(int status) override { said.push_back("end " + std::to_string(status)); }

    struct Dialog : ops::FileDialog {
        void showOpen() override { settings().fileName = choice; }
        std::u16string choice;
    } dialog;
    struct Bar : ops::Progress {
        explicit Bar(std::vector<std::string>& said) : said_(said) {}
        void setMax(float max) override {
            said_.push_back("bar max " + std::to_string(static_cast<long>(max)));
        }
        void setValue(float value) override {
            said_.push_back("bar value " + std::to_string(static_cast<long>(value)));
        }
        std::vector<std::string>& said_;
    } bar{said};
    std::map<int, std::u16string> fields;
    std::vector<std::string> said;
};

// No drawing file exists: the list check passes, and each open fails as the script says.
class NoFiles : public cad::DrawingFiles {
public:
    std::optional<FileId> fileAt(const std::u16string&) const override { return std::nullopt; }
    std::optional<EntryKey> entryAt(const std::u16string&) const override { return std::nullopt; }
    std::u16string backupPathOf(const std::u16string& path) const override {
        return path + u".bak";
    }
    void restoreLastSave(const std::u16string&) const override {}
};

enum class Press { kNothing, kCommand1, kOKButton };

TEST(MainWindowController, StartsOperatesAndReportsThroughItsFace) {
    const std::string missingA =
        "failure: 操作未能完成，程序将结束。\n\n错误号 0x80070002（-2147024894）\n"
        "找不到图形文件：/d/a.dxf";
    const struct {
        const char* name;
        bool reachable;
        bool standsIn;
        Press press;
        std::u16string choice;
        std::vector<std::string> said;
        std::vector<std::u16string> opened;
        const char16_t* fieldsAfter;
    } cases[] = {
        {"connected: start-up sets every field to one space and says nothing",
         true,
         false,
         Press::kNothing,
         u"",
         {},
         {},
         u" "},
        {"no CAD application: start-up says why and leaves the fields",
         false,
         false,
         Press::kNothing,
         u"",
         {"notice: 没有可用的 CAD 应用程序（测试）"},
         {},
         u"样"},
        {"a stand-in: start-up says so and goes on",
         true,
         true,
         Press::kNothing,
         u"",
         {"notice: 无法启动 CAD 应用程序（测试）\n内置引擎代替它（测试）"},
         {},
         u" "},
        {"nothing chosen for a read: nothing happens",
         true,
         false,
         Press::kCommand1,
         u"",
         {},
         {},
         u" "},
        {"nothing chosen for a batch: nothing happens",
         true,
         false,
         Press::kOKButton,
         u"",
         {},
         {},
         u" "},
        {"a failing read is shown as the failure that ends the program",
         true,
         false,
         Press::kCommand1,
         u"/d/a.dxf",
         {missingA, "end 1"},
         {u"/d/a.dxf"},
         u" "},
        {"a batch shows on the bar and takes the chosen paths, up to the first failure",
         true,
         false,
         Press::kOKButton,
         u"/d/\0a.dxf\0b.dxf"s,
         {"bar max 2", missingA, "end 1"},
         {u"/d/a.dxf"},
         u" "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto script = std::make_shared<testing_support::CadScript>();
        script->reachable = c.reachable;
        script->standsIn = c.standsIn;
        Face face;
        face.dialog.choice = c.choice;
        MainWindowController controller(face, testing_support::scriptedConnector(script),
                                        std::make_unique<NoFiles>());

        controller.startUp();
        if (c.press == Press::kCommand1) controller.readTemplate();
        if (c.press == Press::kOKButton) controller.batchModify();

        EXPECT_EQ(face.said, c.said);
        EXPECT_EQ(script->opened, c.opened);
        for (int field = 1; field <= 29; ++field) EXPECT_EQ(face.fields[field], c.fieldsAfter);
    }
}

}  // namespace
}  // namespace shared
