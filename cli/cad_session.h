#pragma once

#include <memory>

#include "cad/object_model.h"
#include "cad/startup.h"
#include "cli/console.h"
#include "cli/text_fields.h"

namespace cli {

// The CAD application of this platform after start-up, run as the window runs it, with fields of
// its own. Start-up's messages never stop it, so here they are warnings on the error stream; a
// command that cannot go on fails later with its own error.
class CadSession {
public:
    // What a command walks model space for.
    enum class Walk {
        kTitleBlocks,  // their attributes alone: the built-in engine need not read the rest
        kEveryEntity,
    };
    explicit CadSession(Console& console, Walk walk = Walk::kTitleBlocks);

    const cad::Connection& connection() const { return connection_; }
    // The fields as start-up left them: one space each.
    const titleblock::Fields& fields() const { return fields_; }

private:
    static cad::ConnectorOptions optionsFor(const Console& console, Walk walk);

    std::unique_ptr<cad::Connector> connector_;
    TextFields fields_;
    cad::Connection connection_;
};

}  // namespace cli
