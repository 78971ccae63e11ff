#pragma once

#include <memory>
#include <string>

#include "cad/connector_options.h"
#include "cad/object_model.h"
#include "cad/win/com_apartment.h"

namespace cad::automation {

// Reaches the CAD application through COM: attach finds the running instance registered in the
// running object table, launch starts a new one as a local server. COM is initialised on the
// calling thread at the first call, and stays so while any object from here lives.
class AutomationConnector : public Connector {
public:
    explicit AutomationConnector(bool closeOwnDrawings = false)
        : closeOwnDrawings_(closeOwnDrawings) {}

    std::shared_ptr<Application> attach(std::u16string_view progId) override;
    std::shared_ptr<Application> launch(std::u16string_view progId) override;

    // Whether a class is registered under `progId` (else attach and launch fail with
    // CO_E_CLASSSTRING).
    static bool isRegistered(std::u16string_view progId);

private:
    const SharedApartment& apartment();

    bool closeOwnDrawings_;
    SharedApartment apartment_;
};

// The connector for Windows: the CAD application through automation where one is installed,
// else `fallback` (the built-in engine), which then reports itself as a stand-in described by
// `fallbackDescription`. Asked for "AutoCAD.Application", it reaches the one `options` chose,
// or where none is chosen and that one is not registered, the first of kOtherCadProgIds that is.
std::unique_ptr<Connector> automationFirst(const ConnectorOptions& options,
                                           std::unique_ptr<Connector> fallback,
                                           std::u16string fallbackDescription);

}  // namespace cad::automation
