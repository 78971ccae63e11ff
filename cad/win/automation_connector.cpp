#include "cad/win/automation_connector.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "cad/win/automation_objects.h"
#include "cad/win/com_error.h"

namespace cad::automation {

namespace {

HRESULT findClass(std::u16string_view progId, CLSID& clsid) {
    const std::wstring name(progId.begin(), progId.end());
    return CLSIDFromProgID(name.c_str(), &clsid);
}

CLSID classOf(std::u16string_view progId) {
    CLSID clsid{};
    check(findClass(progId, clsid));
    return clsid;
}

bool isDefaultProgId(std::u16string_view progId) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(progId.data()),
                                static_cast<int>(progId.size()),
                                reinterpret_cast<const wchar_t*>(kProgId.data()),
                                static_cast<int>(kProgId.size()), TRUE) == CSTR_EQUAL;
}

// Tries the automation client; the fallback only takes over a launch, because it has no
// running instance to attach to.
class AutomationFirstConnector : public Connector {
public:
    AutomationFirstConnector(const ConnectorOptions& options, std::unique_ptr<Connector> fallback,
                             std::u16string fallbackDescription)
        : automation_(options.closeOwnDrawings),
          chosen_(options.progId),
          fallback_(std::move(fallback)),
          fallbackDescription_(std::move(fallbackDescription)) {}

    std::shared_ptr<Application> attach(std::u16string_view progId) override {
        substitute_.reset();
        const std::u16string reached = resolve(progId);
        auto application = automation_.attach(reached);
        noteSubstitute(progId, reached, u"已连接到正在运行的 ");
        return application;
    }
    std::shared_ptr<Application> launch(std::u16string_view progId) override {
        standIn_.reset();
        substitute_.reset();
        try {
            const std::u16string reached = resolve(progId);
            auto application = automation_.launch(reached);
            noteSubstitute(progId, reached, u"已启动 ");
            return application;
        } catch (const Error& launchFailure) {
            auto application = fallback_->launch(progId);
            standIn_ = StandIn{withOthersLookedFor(progId, launchFailure), fallbackDescription_};
            return application;
        }
    }
    std::optional<StandIn> standIn() const override { return standIn_; }
    std::optional<std::u16string> substitute() const override { return substitute_; }

private:
    // The ProgID that answers for `progId`: the default stands for the user's choice, or for
    // the first CAD application installed; another is taken as asked.
    std::u16string resolve(std::u16string_view progId) {
        if (!isDefaultProgId(progId)) return std::u16string(progId);
        if (!chosen_.empty()) return chosen_;
        if (!installed_) {
            installed_ = std::u16string(progId);
            if (!AutomationConnector::isRegistered(progId)) {
                const auto* other =
                    std::find_if(std::begin(kOtherCadProgIds), std::end(kOtherCadProgIds),
                                 &AutomationConnector::isRegistered);
                if (other != std::end(kOtherCadProgIds)) installed_ = std::u16string(*other);
            }
        }
        return *installed_;
    }

    // A launch that failed because nothing is registered: the others were looked for too.
    Error withOthersLookedFor(std::u16string_view asked, const Error& launchFailure) const {
        if (!isDefaultProgId(asked) || !chosen_.empty() ||
            launchFailure.number() != errc::kInvalidProgId) {
            return launchFailure;
        }
        std::u16string others;
        for (const std::u16string_view other : kOtherCadProgIds) {
            others += (others.empty() ? u"" : u"、") + std::u16string(other);
        }
        return {launchFailure.number(),
                launchFailure.description() + u"（也没有注册 " + others + u"）"};
    }

    void noteSubstitute(std::u16string_view asked, const std::u16string& reached,
                        std::u16string_view how) {
        if (isDefaultProgId(asked) && chosen_.empty() && !isDefaultProgId(reached)) {
            substitute_ = u"没有注册 " + std::u16string(asked) + u"，" + std::u16string(how) +
                          reached + u"。";
        }
    }

    AutomationConnector automation_;
    std::u16string chosen_;
    std::optional<std::u16string> installed_;
    std::unique_ptr<Connector> fallback_;
    std::u16string fallbackDescription_;
    std::optional<StandIn> standIn_;
    std::optional<std::u16string> substitute_;
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
    return makeApplication(Dispatch(std::move(application), com), closeOwnDrawings_);
}

std::shared_ptr<Application> AutomationConnector::launch(std::u16string_view progId) {
    const SharedApartment& com = apartment();
    Microsoft::WRL::ComPtr<IDispatch> application;
    try {
        check(CoCreateInstance(classOf(progId), nullptr, CLSCTX_LOCAL_SERVER,
                               IID_PPV_ARGS(&application)));
    } catch (const Error& e) {
        // The system's text alone ("Invalid class string") does not say what failed; start-up
        // shows this description to the user.
        throw Error(e.number(),
                    u"无法启动 CAD 应用程序 " + std::u16string(progId) + u"：" + e.description());
    }
    return makeApplication(Dispatch(std::move(application), com), closeOwnDrawings_);
}

bool AutomationConnector::isRegistered(std::u16string_view progId) {
    CLSID clsid{};
    return SUCCEEDED(findClass(progId, clsid));
}

std::unique_ptr<Connector> automationFirst(const ConnectorOptions& options,
                                           std::unique_ptr<Connector> fallback,
                                           std::u16string fallbackDescription) {
    return std::make_unique<AutomationFirstConnector>(options, std::move(fallback),
                                                      std::move(fallbackDescription));
}

}  // namespace cad::automation
