#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/startup.h"
#include "ops/read_template.h"
#include "ui/shared/main_window_face.h"

namespace shared {

// What the main window does, whichever toolkit draws it: the connection start-up makes, the
// template read behind Command1 and the batch behind OKButton, and the report of a failure that
// ends the program. The toolkit's window is its face and supplies only widgets and dialogs.
class MainWindowController {
public:
    // `files` tells the batch which chosen paths lead to one file and where backups go.
    MainWindowController(MainWindowFace& face, std::unique_ptr<cad::Connector> connector,
                         std::unique_ptr<cad::DrawingFiles> files);

    // Attaches to or launches the CAD application and sets every field to one space; the face
    // calls it once its controls exist, before it is first shown.
    void startUp();
    // Command1: lets the user choose a drawing and reads its title block into the fields.
    void readTemplate();
    // The same read of a drawing chosen beforehand, such as one named on the command line.
    void readTemplateFile(const std::u16string& path);
    // OKButton: lets the user choose drawings and writes every field that is not empty into each,
    // asking first when fields hold one space, and says afterwards what it did.
    void batchModify();

private:
    // Runs one operation; whatever escapes it is shown to the user, followed by `afterward` when
    // it gives a text, and ends the program, so that nothing is thrown into the toolkit's event
    // loop.
    template <typename Operation, typename Afterward>
    void runOperation(Operation operation, Afterward afterward);
    template <typename Operation>
    void runOperation(Operation operation) {
        runOperation(operation, [] { return std::u16string(); });
    }
    // Tells the user when the drawing read had no title block.
    void reportRead(const ops::TemplateRead& read);

    MainWindowFace& face_;
    std::unique_ptr<cad::Connector> connector_;
    std::unique_ptr<cad::DrawingFiles> files_;
    cad::Connection connection_;  // AcadApp and acadDoc, set once by start-up
    std::vector<std::u16string> FileList;
    std::int32_t FileCount = 0;
};

}  // namespace shared
