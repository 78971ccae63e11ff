#include "cad/platform_connector.h"

#include "cad/engine/engine_connector.h"
#include "cad/engine/engine_drawing_files.h"
#ifdef _WIN32
#include "cad/win/automation_connector.h"
#endif

namespace cad {

std::unique_ptr<Connector> makePlatformConnector() {
#ifdef _WIN32
    return automation::automationFirst(
        engine::makeEngineConnector(),
        u"现在由内置的绘图引擎代替 CAD 应用程序，它只能打开 DXF 图形。");
#else
    return engine::makeEngineConnector();
#endif
}

void deferTerminationDuringSaves() { engine::deferTerminationDuringSaves(); }

std::unique_ptr<DrawingFiles> makePlatformDrawingFiles() {
    return engine::makeEngineDrawingFiles();
}

}  // namespace cad
