#pragma once

#include <string>
#include <string_view>

namespace cad {

// CAD applications that publish the same automation object model under their own ProgIDs. Where
// "AutoCAD.Application" is not registered at all, start-up looks for these, in this order.
inline constexpr std::u16string_view kOtherCadProgIds[] = {
    u"ZWCAD.Application", u"GstarCAD.Application", u"BricscadApp.AcadApplication"};

// How a program wants the CAD application reached.
struct ConnectorOptions {
    // The ProgID of the CAD application to reach (a versioned one such as
    // "AutoCAD.Application.24" too); empty: "AutoCAD.Application", or where that is not
    // registered, the first of kOtherCadProgIds that is.
    std::u16string progId;
    // Close, without saving again, each drawing this program opened itself once it is saved or
    // was only read: before the next drawing opens, and at the end. A drawing left with unsaved
    // changes (its save failed) stays open, and so do the drawings that were open before.
    bool closeOwnDrawings = false;
    // The built-in engine: keep each drawing claimed from its open until the next one opens, as
    // an unattended batch does so that no second run edits it meanwhile. Otherwise a drawing is
    // claimed only while it is read or saved, as a window waiting on its user leaves it to other
    // programs; a save then refuses a drawing changed since it was read.
    bool holdDrawings = false;
    // The built-in engine: the program walks model space only for title blocks, so its model
    // space may hold only the block references with attributes, which spares reading the rest of
    // a large drawing.
    bool titleBlocksOnly = false;
};

}  // namespace cad
