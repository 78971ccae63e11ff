#pragma once

class QCoreApplication;

namespace ui {

// Loads Qt's own Chinese texts (the file dialog's, the message box's buttons) whatever the
// system's language, since the rest of the window is Chinese. Looks where Qt is installed, then
// in translations/ beside the program. Returns false when they are nowhere to be found; Qt then
// shows its English texts.
bool loadQtChineseTranslations(QCoreApplication& application);

}  // namespace ui
