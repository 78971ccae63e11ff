#include "ui/shared/main_window_controller.h"

#include <exception>

#include "ops/batch_update.h"
#include "ops/file_list.h"
#include "ops/read_template.h"
#include "ui/shared/failure.h"

namespace shared {

MainWindowController::MainWindowController(MainWindowFace& face,
                                           std::unique_ptr<cad::Connector> connector,
                                           std::unique_ptr<cad::DrawingFiles> files)
    : face_(face), connector_(std::move(connector)), files_(std::move(files)) {}

void MainWindowController::startUp() {
    connection_ = cad::startUp(*connector_, face_, [this](const std::u16string& text) {
        face_.showMessage(text, MessageKind::kNotice);
    });
}

template <typename Operation>
void MainWindowController::runOperation(Operation operation) {
    try {
        operation();
    } catch (...) {
        face_.showMessage(endingReportText(describeFailure(std::current_exception())),
                          MessageKind::kFailure);
        face_.end(kFailureExitCode);
    }
}

void MainWindowController::readTemplate() {
    runOperation(
        [this] { ops::readTemplate(connection_, face_.fileDialog(), face_.progress(), face_); });
}

void MainWindowController::readTemplateFile(const std::u16string& path) {
    runOperation(
        [this, &path] { ops::readTemplateFile(connection_, path, face_.progress(), face_); });
}

void MainWindowController::batchModify() {
    runOperation([this] {
        if (!ops::selectFiles(face_.fileDialog(), FileList, FileCount)) return;
        ops::BatchProgress bar(face_.progress());
        ops::batchUpdate(connection_, ops::chosenPaths(FileList, FileCount), face_, bar, *files_);
    });
}

}  // namespace shared
