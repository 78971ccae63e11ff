#include "cad/startup.h"

#include <optional>

#include "cad/error.h"
#include "titleblock/field_map.h"

namespace cad {

namespace {

// Runs `step`; a CAD failure is swallowed and returned instead of thrown.
template <typename Step>
std::optional<Error> attempt(Step&& step) {
    try {
        step();
        return std::nullopt;
    } catch (const Error& e) {
        return e;
    }
}

}  // namespace

Connection startUp(Connector& connector, titleblock::Fields& fields, const MessageSink& message) {
    Connection c;
    if (attempt([&] { c.AcadApp = connector.attach(kProgId); })) {
        // A failed launch is reported as itself: putting Visible on nothing would only hide the
        // cause.
        auto failure = attempt([&] { c.AcadApp = connector.launch(kProgId); });
        if (!failure) failure = attempt([&] { c.AcadApp->putVisible(true); });
        if (failure) {
            message(failure->description());
            return c;
        }
        if (const auto standIn = connector.standIn()) {
            message(standIn->launchFailure.description() + u"\n" + standIn->description);
        }
    }
    if (const auto other = connector.substitute()) message(*other);
    attempt([&] { c.acadDoc = c.AcadApp->activeDocument(); });
    for (const int field : titleblock::fieldsInOrder()) {
        attempt([&] { fields.setText(field, u" "); });
    }
    return c;
}

}  // namespace cad
