#include "cad/platform_connector.h"

#include "cad/error.h"
#ifdef _WIN32
#include "cad/win/automation_connector.h"
#endif

namespace cad {

namespace {

// No CAD application is reachable on this platform yet.
class UnavailableConnector : public Connector {
public:
    std::shared_ptr<Application> attach(std::u16string_view) override { throw unavailable(); }
    std::shared_ptr<Application> launch(std::u16string_view) override { throw unavailable(); }

private:
    static Error unavailable() {
        return {errc::kUnavailable, u"没有可用的 CAD 应用程序：找不到提供自动化接口的 CAD 应用程序。"};
    }
};

}  // namespace

std::unique_ptr<Connector> makePlatformConnector() {
#ifdef _WIN32
    return automation::automationFirst(std::make_unique<UnavailableConnector>());
#else
    return std::make_unique<UnavailableConnector>();
#endif
}

}  // namespace cad
