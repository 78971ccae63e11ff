#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/error.h"
#include "cad/object_model.h"

namespace testing_support {

// A CAD application that is reachable or not. Its document records every drawing it is asked to
// open and then does what the test scripted: by default the open fails as for a missing file.
struct CadScript {
    bool reachable = true;
    // Reachable only through a stand-in, which start-up reports.
    bool standsIn = false;
    std::function<void(const std::u16string& path)> onOpen;
    // Set: opens and saves work, on a model space of three lines and no title block.
    bool opens = false;
    // Set: the open works, and this fails the second entity of that model space.
    std::optional<cad::Error> walkFailure;
    std::vector<std::u16string> opened;
};

std::unique_ptr<cad::Connector> scriptedConnector(std::shared_ptr<CadScript> script);

}  // namespace testing_support
