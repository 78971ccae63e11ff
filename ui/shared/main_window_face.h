#pragma once

#include <string>

#include "ops/file_dialog.h"
#include "ops/progress.h"
#include "titleblock/fields.h"

namespace shared {

enum class MessageKind {
    kNotice,   // start-up's word on the connection, without an icon
    kOutcome,  // what an operation did, with the information icon, over the window
    kFailure,  // the failure that ends the program, with the error icon, over the window
};

// What the main window's controller asks of the toolkit that draws the window: its 29 fields,
// its open-file dialog and progress bar, and a word with the user. Each toolkit's window is one.
class MainWindowFace : public titleblock::Fields {
public:
    // CommonDialog1, keeping its settings from one use to the next.
    virtual ops::FileDialog& fileDialog() = 0;
    // ProgressBar1.
    virtual ops::Progress& progress() = 0;
    // Shows `text` in a message box with one OK button, titled with the program's name, and
    // returns once the user has dismissed it.
    virtual void showMessage(const std::u16string& text, MessageKind kind) = 0;
    // Shows `text` over the window with the warning icon and two buttons, 继续 and 取消 (the
    // default, and what closing the box means); true when the user pressed 继续.
    virtual bool askToContinue(const std::u16string& text) = 0;
    // Ends the program with `status`, every window with it.
    virtual void end(int status) = 0;
};

}  // namespace shared
