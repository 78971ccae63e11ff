#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "titleblock/field_map.h"
#include "ui/qt/about_box.h"
#include "ui/qt/common_dialog.h"
#include "ui/qt/progress_bar.h"
#include "ui/shared/main_window_controller.h"
#include "ui/shared/main_window_face.h"

class QLineEdit;

namespace ui {

// The program's one main window, laid out like a drawing's title block: the 29 fields in a grid
// of drawn lines, four buttons and a progress bar. The fields are the only store of the values.
// What the buttons do is the shared controller's; this is its Qt face.
class frmTolm final : public QWidget, public shared::MainWindowFace {
public:
    // Builds the controls, then runs start-up through `connector` before the window is shown.
    // `files` tells the batch which chosen paths lead to one file and where backups go.
    frmTolm(std::unique_ptr<cad::Connector> connector, std::unique_ptr<cad::DrawingFiles> files);
    ~frmTolm() override;

    std::u16string text(int field) const override;
    void setText(int field, const std::u16string& text) override;

    // Reads the template at `path`, as if it had been chosen through Command1.
    void readTemplateFile(const std::u16string& path) { controller_.readTemplateFile(path); }

    const ops::DialogSettings& dialogSettings() const { return CommonDialog1.settings(); }
    const ui::ProgressBar& progressBar() const { return *ProgressBar1; }

private:
    ops::FileDialog& fileDialog() override { return CommonDialog1; }
    ops::Progress& progress() override { return *ProgressBar1; }
    void showMessage(const std::u16string& text, shared::MessageKind kind) override;
    bool askToContinue(const std::u16string& text) override;
    void end(int status) override;

    void buildControls();
    void showAbout();

    shared::MainWindowController controller_;
    std::array<QLineEdit*, titleblock::kFieldCount> fields_{};
    std::unique_ptr<ui::ProgressBar> ProgressBar1;
    ui::CommonDialog CommonDialog1;
    std::unique_ptr<ui::frmAbout> about_;  // created by the first click on Command2
};

}  // namespace ui
