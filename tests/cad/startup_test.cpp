#include "cad/startup.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cad/error.h"

namespace cad {
namespace {

// A connector whose every call is scripted to work or fail, and which logs the calls it gets.
struct Script {
    bool attachWorks = false;
    bool launchWorks = false;
    bool visibleWorks = true;
    bool documentWorks = true;
    bool standsIn = false;     // the launch that works is a stand-in's
    bool substitutes = false;  // another CAD application answers in place of the one asked for
};

class ScriptedDocument : public Document {
public:
    std::shared_ptr<Document> open(const std::u16string&) override { return nullptr; }
    void save() override {}
    std::shared_ptr<ModelSpace> modelSpace() override { return nullptr; }
    std::vector<std::shared_ptr<ModelSpace>> paperSpaceLayouts() override { return {}; }
};

class ScriptedApplication : public Application {
public:
    ScriptedApplication(const Script& script, std::vector<std::string>& log)
        : script_(script), log_(log) {}
    void putVisible(bool visible) override {
        log_.push_back(visible ? "Visible=True" : "Visible=False");
        if (!script_.visibleWorks) throw Error(-1, u"visible failed");
    }
    std::shared_ptr<Document> activeDocument() override {
        log_.push_back("ActiveDocument");
        if (!script_.documentWorks) throw Error(-2, u"no document");
        return std::make_shared<ScriptedDocument>();
    }

private:
    const Script& script_;
    std::vector<std::string>& log_;
};

class ScriptedConnector : public Connector {
public:
    explicit ScriptedConnector(Script script) : script_(script) {}
    std::shared_ptr<Application> attach(std::u16string_view progId) override {
        log.push_back("attach " + ascii(progId));
        if (!script_.attachWorks) throw Error(errc::kUnavailable, u"attach failed");
        return std::make_shared<ScriptedApplication>(script_, log);
    }
    std::shared_ptr<Application> launch(std::u16string_view progId) override {
        log.push_back("launch " + ascii(progId));
        if (!script_.launchWorks) throw Error(-3, u"launch failed");
        return std::make_shared<ScriptedApplication>(script_, log);
    }
    std::optional<StandIn> standIn() const override {
        if (!script_.standsIn) return std::nullopt;
        return StandIn{Error(errc::kInvalidProgId, u"无效的类字符串"), u"引擎代替，只开 DXF"};
    }
    std::optional<std::u16string> substitute() const override {
        if (!script_.substitutes) return std::nullopt;
        return u"没有注册 AutoCAD.Application，已启动 ZWCAD.Application。";
    }
    std::vector<std::string> log;

private:
    static std::string ascii(std::u16string_view s) { return {s.begin(), s.end()}; }
    Script script_;
};

class RecordingFields : public titleblock::Fields {
public:
    std::u16string text(int field) const override { return texts.at(field); }
    void setText(int field, const std::u16string& text) override {
        texts[field] = text;
        order.push_back(field);
    }
    std::map<int, std::u16string> texts;
    std::vector<int> order;
};

struct Case {
    const char* name;
    Script script;
    std::vector<std::string> calls;
    std::vector<std::u16string> messages;
    bool hasApp;
    bool hasDoc;
    bool fieldsReset;
};

// Field numbers written out, not taken from the field map: the reset runs Text1 ... Text29.
const std::vector<int> kText1To29 = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};

TEST(StartUp, ConnectsReportsAndResetsAsScripted) {
    const std::string attach = "attach AutoCAD.Application";
    const std::string launch = "launch AutoCAD.Application";
    const std::vector<Case> cases = {
        {"attached", {true, false, true, true}, {attach, "ActiveDocument"}, {}, true, true, true},
        {"a stand-in answered the launch",
         {false, true, true, true, true},
         {attach, launch, "Visible=True", "message", "ActiveDocument"},
         {u"无效的类字符串\n引擎代替，只开 DXF"},
         true,
         true,
         true},
        {"launched",
         {false, true, true, true},
         {attach, launch, "Visible=True", "ActiveDocument"},
         {},
         true,
         true,
         true},
        {"nothing available",
         {false, false, true, true},
         {attach, launch, "message"},
         {u"launch failed"},
         false,
         false,
         false},
        {"launched but Visible fails",
         {false, true, false, true},
         {attach, launch, "Visible=True", "message"},
         {u"visible failed"},
         true,
         false,
         false},
        {"another CAD application attached in place of the one asked for",
         {true, false, true, true, false, true},
         {attach, "message", "ActiveDocument"},
         {u"没有注册 AutoCAD.Application，已启动 ZWCAD.Application。"},
         true,
         true,
         true},
        {"another CAD application launched in place of the one asked for",
         {false, true, true, true, false, true},
         {attach, launch, "Visible=True", "message", "ActiveDocument"},
         {u"没有注册 AutoCAD.Application，已启动 ZWCAD.Application。"},
         true,
         true,
         true},
        {"no active document",
         {true, false, true, false},
         {attach, "ActiveDocument"},
         {},
         true,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedConnector connector(c.script);
        RecordingFields fields;
        std::vector<std::u16string> messages;
        const Connection connection = startUp(connector, fields, [&](const std::u16string& m) {
            connector.log.push_back("message");
            messages.push_back(m);
        });
        EXPECT_EQ(connector.log, c.calls);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(connection.AcadApp != nullptr, c.hasApp);
        EXPECT_EQ(connection.acadDoc != nullptr, c.hasDoc);
        if (c.fieldsReset) {
            ASSERT_EQ(fields.texts.size(), 29u);
            for (const auto& [field, text] : fields.texts) EXPECT_EQ(text, u" ") << field;
            EXPECT_EQ(fields.order, kText1To29);
        } else {
            EXPECT_TRUE(fields.texts.empty());
        }
    }
}

// A field that refuses its text does not stop the others from being reset.
TEST(StartUp, ResetGoesOnPastAFailingField) {
    class StubbornFields : public RecordingFields {
    public:
        void setText(int field, const std::u16string& text) override {
            if (field == 3) throw Error(-4, u"field refused");
            RecordingFields::setText(field, text);
        }
    };
    ScriptedConnector connector({true, false, true, true});
    StubbornFields fields;
    startUp(connector, fields, [](const std::u16string&) { FAIL(); });
    EXPECT_EQ(fields.texts.size(), 28u);
    EXPECT_EQ(fields.texts.count(3), 0u);
}

}  // namespace
}  // namespace cad
