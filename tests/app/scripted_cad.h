#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/object_model.h"

namespace testing_support {

// A CAD application that is reachable or not. Its document records every drawing it is asked to
// open and then does what the test scripted: by default the open fails as for a missing file.
struct CadScript {
    bool reachable = true;
    std::function<void(const std::u16string& path)> onOpen;
    std::vector<std::u16string> opened;
};

std::unique_ptr<cad::Connector> scriptedConnector(std::shared_ptr<CadScript> script);

}  // namespace testing_support
