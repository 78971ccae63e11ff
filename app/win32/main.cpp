// The Windows program: the native main window over the automation client, with the built-in
// engine standing in where no CAD application can be reached.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/win32/main_window.h"
#include "cad/engine/engine_connector.h"
#include "cad/win/automation_connector.h"

namespace {

// The engine as the automation client's fallback, noting when it took over, so that the file
// dialog lists its DXF drawings too.
class WatchedEngine final : public cad::Connector {
public:
    explicit WatchedEngine(bool& launched) : launched_(launched) {}
    std::shared_ptr<cad::Application> attach(std::u16string_view progId) override {
        return engine_->attach(progId);
    }
    std::shared_ptr<cad::Application> launch(std::u16string_view progId) override {
        auto application = engine_->launch(progId);
        launched_ = true;
        return application;
    }

private:
    std::unique_ptr<cad::Connector> engine_ = cad::engine::makeEngineConnector();
    bool& launched_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    bool engineStandsIn = false;
    win32::frmTolm window(
        cad::automation::automationFirst(std::make_unique<WatchedEngine>(engineStandsIn)),
        [&engineStandsIn] { return engineStandsIn; }, [](int status) { PostQuitMessage(status); });
    window.show();

    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (window.preTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
