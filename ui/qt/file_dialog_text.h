#pragma once

#include <QString>
#include <QStringList>

namespace ui {

// The dialog settings' filter, "description|pattern" pairs with patterns separated by ';', as
// Qt name filters: "DWG file|*.dwg" becomes "DWG file (*.dwg)". With `listDxfForDwg` every
// DWG pattern also lists DXF files, because the built-in engine's drawings are DXF.
QStringList qtNameFilters(const QString& filter, bool listDxfForDwg);

// The chosen paths as the dialog reports them to the operations (ops::joinSelection), in the
// platform's separators.
QString selectionResult(const QStringList& paths);

}  // namespace ui
