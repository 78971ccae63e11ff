#pragma once

#include <memory>
#include <string>

#include "cad/object_model.h"
#include "cad/win/com_apartment.h"

namespace cad::automation {

// Reaches the CAD application through COM: attach finds the running instance registered in the
// running object table, launch starts a new one as a local server. COM is initialised on the
// calling thread at the first call, and stays so while any object from here lives.
class AutomationConnector : public Connector {
public:
    std::shared_ptr<Application> attach(std::u16string_view progId) override;
    std::shared_ptr<Application> launch(std::u16string_view progId) override;

private:
    const SharedApartment& apartment();

    SharedApartment apartment_;
};

// The connector for Windows: the CAD application through automation where one is installed,
// else `fallback` (the built-in engine), which then reports itself as a stand-in described by
// `fallbackDescription`.
std::unique_ptr<Connector> automationFirst(std::unique_ptr<Connector> fallback,
                                           std::u16string fallbackDescription);

}  // namespace cad::automation
