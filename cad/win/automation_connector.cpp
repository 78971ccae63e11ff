#include "cad/win/automation_connector.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "cad/win/automation_objects.h"
#include "cad/win/com_error.h"

namespace cad::automation {

namespace {

CLSID classOf(std::u16string_view progId) {
    const std::wstring name(progId.begin(), progId.end());
    CLSID clsid{};
    check(CLSIDFromProgID(name.c_str(), &clsid));
    return clsid;
}

// Tries the automation client; the fallback only takes over a launch, because it has no
// running instance to attach to.
class AutomationFirstConnector : public Connector {
public:
    explicit AutomationFirstConnector(std::unique_ptr<Connector> fallback)
        : fallback_(std::move(fallback)) {}

    std::shared_ptr<Application> attach(std::u16string_view progId) override {
        return automation_.attach(progId);
    }
    std::shared_ptr<Application> launch(std::u16string_view progId) override {
        try {
            return automation_.launch(progId);
        } catch (const Error&) {
            return fallback_->launch(progId);
        }
    }

private:
    AutomationConnector automation_;
    std::unique_ptr<Connector> fallback_;
};

}  // namespace

const SharedApartment& AutomationConnector::apartment() {
    if (!apartment_) apartment_ = std::make_shared<const ComApartment>();
    return apartment_;
}

std::shared_ptr<Application> AutomationConnector::attach(std::u16string_view progId) {
    const SharedApartment& com = apartment();
    Microsoft::WRL::ComPtr<IUnknown> running;
    check(GetActiveObject(classOf(progId), nullptr, &running));
    Microsoft::WRL::ComPtr<IDispatch> application;
    check(running.As(&application));
    return makeApplication(Dispatch(std::move(application), com));
}

std::shared_ptr<Application> AutomationConnector::launch(std::u16string_view progId) {
    const SharedApartment& com = apartment();
    Microsoft::WRL::ComPtr<IDispatch> application;
    check(CoCreateInstance(classOf(progId), nullptr, CLSCTX_LOCAL_SERVER,
                           IID_PPV_ARGS(&application)));
    return makeApplication(Dispatch(std::move(application), com));
}

std::unique_ptr<Connector> automationFirst(std::unique_ptr<Connector> fallback) {
    return std::make_unique<AutomationFirstConnector>(std::move(fallback));
}

}  // namespace cad::automation
