#include "ui/shared/main_window_controller.h"

#include <exception>

#include "ops/batch_update.h"
#include "ops/file_list.h"
#include "ui/shared/failure.h"
#include "ui/shared/operation_messages.h"

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

template <typename Operation, typename Afterward>
void MainWindowController::runOperation(Operation operation, Afterward afterward) {
    try {
        operation();
    } catch (...) {
        std::u16string text = endingReportText(describeFailure(std::current_exception()));
        if (const std::u16string after = afterward(); !after.empty()) text += u"\n\n" + after;
        face_.showMessage(text, MessageKind::kFailure);
        face_.end(kFailureExitCode);
    }
}

void MainWindowController::reportRead(const ops::TemplateRead& read) {
    if (!read.path.empty() && read.attributesRead == 0)
        face_.showMessage(noTitleBlockText(read.path), MessageKind::kOutcome);
}

void MainWindowController::readTemplate() {
    runOperation([this] {
        reportRead(ops::readTemplate(connection_, face_.fileDialog(), face_.progress(), face_));
    });
}

void MainWindowController::readTemplateFile(const std::u16string& path) {
    runOperation([this, &path] {
        reportRead(ops::readTemplateFile(connection_, path, face_.progress(), face_));
    });
}

void MainWindowController::batchModify() {
    ops::BatchProgress bar(face_.progress());
    BatchTally tally(bar);
    runOperation(
        [&] {
            if (!ops::selectFiles(face_.fileDialog(), FileList, FileCount)) return;
            const std::vector<std::u16string> paths = ops::chosenPaths(FileList, FileCount);
            // Asked before anything opens: a space looks like an empty field, which writes nothing.
            if (const std::u16string question = oneSpaceQuestion(face_, paths.size());
                !question.empty() && !face_.askToContinue(question))
                return;
            ops::batchUpdate(connection_, paths, face_, tally, *files_);
            face_.showMessage(tally.summaryText(), MessageKind::kOutcome);
        },
        // What the batch did before it failed.
        [&] { return tally.started() ? u"本次批量修改：" + tally.countsText() : std::u16string(); });
}

}  // namespace shared
