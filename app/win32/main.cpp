// The Windows program: the native main window over the automation client, with the built-in
// engine standing in where no CAD application can be reached.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "cad/platform_connector.h"
#include "ui/win32/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    auto connector = cad::makePlatformConnector();
    // When the engine stands in, the file dialog lists its DXF drawings too.
    const cad::Connector& connected = *connector;
    win32::frmTolm window(
        std::move(connector), cad::makePlatformDrawingFiles(),
        [&connected] { return connected.standIn().has_value(); },
        [](int status) { PostQuitMessage(status); });
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
