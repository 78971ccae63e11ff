#include "cad/platform_connector.h"

#include "cad/engine/engine_connector.h"
#include "cad/engine/engine_drawing_files.h"
#ifdef _WIN32
#include "cad/win/automation_connector.h"
#endif

namespace cad {

std::unique_ptr<Connector> makePlatformConnector() {
#ifdef _WIN32
    return automation::automationFirst(engine::makeEngineConnector());
#else
    return engine::makeEngineConnector();
#endif
}

std::unique_ptr<DrawingFiles> makePlatformDrawingFiles() {
    return engine::makeEngineDrawingFiles();
}

}  // namespace cad
