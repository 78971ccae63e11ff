#pragma once

#include "ops/file_dialog.h"

class QWidget;

namespace ui {

// The main window's open-file dialog. It keeps its settings from one use to the next and shows
// Qt's own file dialog built from them, modal to its owner. Qt's own dialog is used on every
// platform: its patterns match regardless of case everywhere, and it is driven the same way in
// tests as by a user.
class CommonDialog final : public ops::FileDialog {
public:
    // `listDxfForDwg`: the built-in engine is the CAD application, whose drawings are DXF.
    CommonDialog(QWidget& owner, bool listDxfForDwg);

    void showOpen() override;

private:
    QWidget& owner_;
    bool listDxfForDwg_;
};

}  // namespace ui
