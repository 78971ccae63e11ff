#include "cad/win/automation_connector.h"

#include <gtest/gtest.h>

#include <string>

namespace cad::automation {
namespace {

// No server is registered under this name, so the automation launch always fails.
constexpr std::u16string_view kUnregistered = u"Zandrel.NotRegistered.Test";

class StubApplication : public Application {
public:
    void putVisible(bool) override {}
    std::shared_ptr<Document> activeDocument() override { return nullptr; }
};

// Stands in for the built-in engine: launches work unless told otherwise, attaches never do.
class StubFallback : public Connector {
public:
    explicit StubFallback(bool launches) : launches_(launches) {}
    std::shared_ptr<Application> attach(std::u16string_view) override {
        throw Error(errc::kUnavailable, u"no running instance");
    }
    std::shared_ptr<Application> launch(std::u16string_view) override {
        if (!launches_) throw Error(errc::kInvalidProgId, u"fallback refused");
        return std::make_shared<StubApplication>();
    }

private:
    bool launches_;
};

TEST(AutomationFirst, AFailedLaunchFallsBackAndSaysWhy) {
    const auto connector =
        automationFirst({}, std::make_unique<StubFallback>(true), u"stand-in line");
    EXPECT_FALSE(connector->standIn().has_value()) << "nothing launched yet";
    EXPECT_THROW(connector->attach(kUnregistered), Error);
    EXPECT_FALSE(connector->standIn().has_value()) << "an attach brings no stand-in";

    EXPECT_NE(connector->launch(kUnregistered), nullptr);
    const auto standIn = connector->standIn();
    ASSERT_TRUE(standIn.has_value());
    EXPECT_EQ(standIn->launchFailure.number(), errc::kInvalidProgId);
    EXPECT_EQ(standIn->launchFailure.description().rfind(
                  u"无法启动 CAD 应用程序 Zandrel.NotRegistered.Test：", 0),
              0u)
        << standIn->launchFailure.what();
    EXPECT_EQ(standIn->description, u"stand-in line");
}

TEST(AutomationFirst, WhenTheFallbackFailsTooItsFailureIsThrownAndNothingStandsIn) {
    const auto connector =
        automationFirst({}, std::make_unique<StubFallback>(false), u"stand-in line");
    try {
        connector->launch(kUnregistered);
        ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), u"fallback refused");
    }
    EXPECT_FALSE(connector->standIn().has_value());
}

}  // namespace
}  // namespace cad::automation
