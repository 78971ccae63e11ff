#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "titleblock/field_map.h"
#include "ui/shared/main_window_controller.h"
#include "ui/shared/main_window_face.h"
#include "ui/win32/about_box.h"
#include "ui/win32/open_file_dialog.h"
#include "ui/win32/progress_bar.h"

namespace win32 {

// The program's one main window, laid out like a drawing's title block: the 29 fields in a grid
// of drawn lines, four buttons and a progress bar, built from the same layout table as the Qt
// window and scaled to the window's own DPI. The fields are the only store of the values. What
// the buttons do is the shared controller's; this is its Win32 face.
class frmTolm final : public shared::MainWindowFace {
public:
    // Ends the program with an exit status: at once, every window with it.
    using End = std::function<void(int status)>;

    // Builds the window and its controls, then runs start-up through `connector` before the
    // window is shown. `files` tells the batch which chosen paths lead to one file and where
    // backups go. `engineStandsIn` tells, once start-up has run, whether the built-in engine
    // took the CAD application's place.
    frmTolm(std::unique_ptr<cad::Connector> connector, std::unique_ptr<cad::DrawingFiles> files,
            std::function<bool()> engineStandsIn, End end);
    ~frmTolm() override;
    frmTolm(const frmTolm&) = delete;
    frmTolm& operator=(const frmTolm&) = delete;

    // Shows the window with the focus on OKButton.
    void show();

    std::u16string text(int field) const override;
    void setText(int field, const std::u16string& text) override;

    HWND window() const { return window_; }
    // A control by its name in the layout table; nullptr for a line, which is only painted.
    HWND control(const char* name) const;
    const ops::DialogSettings& dialogSettings() const { return CommonDialog1.settings(); }
    const frmAbout& aboutBox() const { return about_; }

    // What the message loop asks of every message before dispatching it: Tab and the arrow keys
    // move the focus between the controls; Enter and Esc are left to the control, so they press
    // no button. True when the message was handled.
    bool preTranslate(MSG& message) const;

private:
    ops::FileDialog& fileDialog() override { return CommonDialog1; }
    ops::Progress& progress() override { return *ProgressBar1; }
    void showMessage(const std::u16string& text, shared::MessageKind kind) override;
    bool askToContinue(const std::u16string& text) override;
    void end(int status) override { end_(status); }

    static HWND createFrame();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls();
    void layOut();
    void paintLines(HDC dc) const;
    void onCommand(int id);
    void showAbout();
    void aboutClosed();

    shared::MainWindowController controller_;
    End end_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HWND focused_ = nullptr;  // where the focus goes back to when the window is activated
    bool unloaded_ = false;   // the user closed the window; the program waits for the About box
    std::array<HWND, titleblock::kFieldCount> fields_{};
    std::unique_ptr<ProgressBar> ProgressBar1;
    OpenFileDialog CommonDialog1;
    frmAbout about_;  // the window is built by the first click on Command2
};

// The id of the control named `name` in the layout table: its row, from 1000 on, clear of the
// ids (IDOK, IDCANCEL) that the dialog keys would press.
int controlId(const char* name);

}  // namespace win32
