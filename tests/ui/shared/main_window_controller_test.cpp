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
        const char* kinds[] = {"notice: ", "outcome: ", "failure: "};
        said.push_back(kinds[static_cast<int>(kind)] + base::utf16ToUtf8(text));
    }
    // Noted by the question's first line.
    bool askToContinue(const std::u16string& text) override {
        said.push_back("ask: " + base::utf16ToUtf8(text.substr(0, text.find(u'\n'))));
        return answer;
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
    bool answer = false;  // to the question: 继续 or 取消
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
    const std::string allSpaces =
        "ask: 有 29 个字段只含一个空格：产品代号、零件名称、零件代号、版本号5、版本号4 等 29 个。";
    const struct {
        const char* name;
        bool reachable;
        bool standsIn;
        Press press;
        std::u16string choice;
        std::vector<std::string> said;
        std::vector<std::u16string> opened;
        const char16_t* fieldsAfter;
        const char16_t* fieldsBefore = nullptr;  // set after start-up, before the press
        bool answer = true;
        bool drawingsOpen = false;  // opened drawings have no title block; saves work
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
        {"nothing chosen for a batch: nothing happens, nothing asked",
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
        {"a read without a title block says so and leaves the fields",
         true,
         false,
         Press::kCommand1,
         u"/d/a.dxf",
         {"bar max 3", "bar value 3",
          "outcome: 图形“a.dxf”中没有标题栏：没有读到任何字段，表单保持不变。"},
         {u"/d/a.dxf"},
         u" ",
         nullptr,
         true,
         true},
        {"fields of one space: the batch asks first, and 取消 opens nothing",
         true,
         false,
         Press::kOKButton,
         u"/d/\0a.dxf\0b.dxf"s,
         {allSpaces},
         {},
         u" ",
         nullptr,
         false},
        {"a batch shows on the bar, up to the first failure, and what it did before",
         true,
         false,
         Press::kOKButton,
         u"/d/\0a.dxf\0b.dxf"s,
         {allSpaces, "bar max 2",
          missingA + "\n\n本次批量修改：已保存 0 个，未改动 0 个，无标题栏 0 个，失败 1 个。", "end 1"},
         {u"/d/a.dxf"},
         u" "},
        {"emptied or filled fields ask nothing; the outcome names drawings without a title block",
         true,
         false,
         Press::kOKButton,
         u"/d/\0a.dxf\0b.dxf"s,
         {"bar max 2", "bar value 1", "bar value 2",
          "outcome: 批量修改已完成：已保存 0 个，未改动 0 个，无标题栏 2 个，失败 0 个。\n\n"
          "以下图形中没有标题栏，未作修改：\na.dxf、b.dxf"},
         {u"/d/a.dxf", u"/d/b.dxf"},
         u"",
         u"",
         false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto script = std::make_shared<testing_support::CadScript>();
        script->reachable = c.reachable;
        script->standsIn = c.standsIn;
        script->opens = c.drawingsOpen;
        Face face;
        face.dialog.choice = c.choice;
        face.answer = c.answer;
        MainWindowController controller(face, testing_support::scriptedConnector(script),
                                        std::make_unique<NoFiles>());

        controller.startUp();
        if (c.fieldsBefore) {
            for (int field = 1; field <= 29; ++field) face.fields[field] = c.fieldsBefore;
            face.fields[21] = u"ZD-200";
        }
        if (c.press == Press::kCommand1) controller.readTemplate();
        if (c.press == Press::kOKButton) controller.batchModify();

        EXPECT_EQ(face.said, c.said);
        EXPECT_EQ(script->opened, c.opened);
        for (int field = 1; field <= 29; ++field) {
            if (!c.fieldsBefore || field != 21) {
                EXPECT_EQ(face.fields[field], c.fieldsAfter);
            }
        }
    }
}

}  // namespace
}  // namespace shared
