#include "cad/platform_connector.h"

#include "cad/engine/engine_connector.h"
#include "cad/engine/engine_drawing_files.h"
#ifdef _WIN32
#include <cwchar>

#include "cad/win/automation_connector.h"
#endif

namespace cad {

#ifdef _WIN32
std::unique_ptr<Connector> makePlatformConnector(ConnectorOptions options) {
    // The windows take no command line: the environment is where their user names the CAD
    // application.
    if (options.progId.empty()) {
        if (const wchar_t* chosen = _wgetenv(L"ZANDREL_CAD")) {
            options.progId.assign(chosen, chosen + wcslen(chosen));
        }
    }
    return automation::automationFirst(
        options, engine::makeEngineConnector(options),
        u"现在由内置的绘图引擎代替 CAD 应用程序，它只能打开 DXF 图形。");
}
#else
std::unique_ptr<Connector> makePlatformConnector(ConnectorOptions options) {
    return engine::makeEngineConnector(options);
}
#endif

void deferTerminationDuringSaves() { engine::deferTerminationDuringSaves(); }

std::unique_ptr<DrawingFiles> makePlatformDrawingFiles() {
    return engine::makeEngineDrawingFiles();
}

}  // namespace cad
