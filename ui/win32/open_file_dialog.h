#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ops/file_dialog.h"

namespace win32 {

// The main window's open-file dialog, `CommonDialog1`: the system's GetOpenFileNameW, shown
// modal to its owner with the settings it keeps from one use to the next. The flag word goes to
// the dialog as it is, with OFN_EXPLORER added, so a multiple selection comes back as the folder
// and the names separated by U+0000, which no name can hold.
class OpenFileDialog final : public ops::FileDialog {
public:
    // `listDxfForDwg`: tells whether the built-in engine stands in for the CAD application,
    // whose drawings are then DXF; asked at each showing, since start-up decides it.
    OpenFileDialog(HWND owner, std::function<bool()> listDxfForDwg);

    void showOpen() override;

private:
    HWND owner_;
    std::function<bool()> listDxfForDwg_;
};

// GetOpenFileNameW's filter string for the settings' "description|pattern" filter: each entry's
// description and its patterns joined by ';', every string ending in U+0000, then one more.
std::u16string win32Filter(const std::u16string& filter, bool listDxfForDwg);

// The dialog's buffer, whose chosen names start at `nameOffset`, as the operations take it: one
// path alone; several as the folder, ending in a separator, and the names (ops::joinSelection).
std::u16string selectionResult(const std::u16string& buffer, std::size_t nameOffset);

}  // namespace win32
