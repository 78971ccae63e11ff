#include "cad/startup.h"

#include <gtest/gtest.h>

#include <map>
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
};

class ScriptedDocument : public Document {
public:
    std::shared_ptr<Document> open(const std::u16string&) override { return nullptr; }
    void save() override {}
    std::shared_ptr<ModelSpace> modelSpace() override { return nullptr; }
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
    std::vector<std::string> log;

private:
    static std::string ascii(std::u16string_view s) { return {s.begin(), s.end()}; }
    Script script_;
};

class RecordingFields : public titleblock::Fields {
public:
    std::u16string text(int field) const override { return texts.at(field); }
    void setText(int field, const std::u16string& text) override { texts[field] = text; }
    std::map<int, std::u16string> texts;
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

TEST(StartUp, ConnectsReportsAndResetsAsScripted) {
    const std::string attach = "attach AutoCAD.Application";
    const std::string launch = "launch AutoCAD.Application";
    const std::vector<Case> cases = {
        {"attached", {true, false, true, true}, {attach, "ActiveDocument"}, {}, true, true, true},
        {"launched",
         {false, true, true, true},
         {attach, launch, "Visible=True", "ActiveDocument"},
         {},
         true,
         true,
         true},
        {"nothing available",
         {false, false, true, true},
         {attach, launch},
         {u"launch failed"},
         false,
         false,
         false},
        {"launched but Visible fails",
         {false, true, false, true},
         {attach, launch, "Visible=True"},
         {u"visible failed"},
         true,
         false,
         false},
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
        const Connection connection =
            startUp(connector, fields, [&](const std::u16string& m) { messages.push_back(m); });
        EXPECT_EQ(connector.log, c.calls);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(connection.AcadApp != nullptr, c.hasApp);
        EXPECT_EQ(connection.acadDoc != nullptr, c.hasDoc);
        if (c.fieldsReset) {
            ASSERT_EQ(fields.texts.size(), 29u);
            for (const auto& [field, text] : fields.texts) EXPECT_EQ(text, u" ") << field;
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
