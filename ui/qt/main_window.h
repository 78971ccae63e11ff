#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "titleblock/field_map.h"
#include "titleblock/fields.h"
#include "ui/qt/about_box.h"
#include "ui/qt/common_dialog.h"
#include "ui/qt/progress_bar.h"

class QLineEdit;

namespace ui {

// The program's one main window, laid out like a drawing's title block: the 29 fields in a grid
// of drawn lines, four buttons and a progress bar. The fields are the only store of the values.
// Each button's handler holds its whole operation; a failure inside one is reported and ends the
// program.
class frmTolm final : public QWidget, public titleblock::Fields {
public:
    // Builds the controls, then runs start-up through `connector` before the window is shown.
    // `files` tells the batch which chosen paths lead to one file and where backups go.
    frmTolm(std::unique_ptr<cad::Connector> connector, std::unique_ptr<cad::DrawingFiles> files);
    ~frmTolm() override;

    std::u16string text(int field) const override;
    void setText(int field, const std::u16string& text) override;

    const ops::DialogSettings& dialogSettings() const { return CommonDialog1.settings(); }
    const ui::ProgressBar& progressBar() const { return *ProgressBar1; }

private:
    void buildControls();
    void readTemplate();
    void batchModify();
    void showAbout();

    // Runs one button's operation; whatever escapes it is reported and ends the program, so
    // nothing is thrown into Qt's event loop.
    template <typename Operation>
    void runOperation(Operation operation);

    std::unique_ptr<cad::Connector> connector_;
    std::unique_ptr<cad::DrawingFiles> files_;
    std::array<QLineEdit*, titleblock::kFieldCount> fields_{};
    std::unique_ptr<ui::ProgressBar> ProgressBar1;
    ui::CommonDialog CommonDialog1;
    cad::Connection connection_;  // AcadApp and acadDoc, set once by start-up
    std::vector<std::u16string> FileList;
    std::int32_t FileCount = 0;
    std::unique_ptr<ui::frmAbout> about_;  // created by the first click on Command2
};

}  // namespace ui
