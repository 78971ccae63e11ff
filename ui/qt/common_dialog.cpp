#include "ui/qt/common_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "ops/file_list.h"
#include "ui/qt/file_dialog_text.h"
#include "ui/shared/failure.h"
#include "ui/shared/product.h"

namespace ui {

CommonDialog::CommonDialog(QWidget& owner, bool listDxfForDwg)
    : owner_(owner), listDxfForDwg_(listDxfForDwg) {}

void CommonDialog::showOpen() {
    ops::DialogSettings& s = settings();
    QFileDialog dialog(&owner_, QStringLiteral("打开"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool multiple = (s.flags & ops::kAllowMultiSelect) != 0;
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(QString::fromStdU16String(s.filter), listDxfForDwg_));
    // Open where the last choice was made: its first token is a path or, after a multiple
    // selection, the folder.
    const QString previous = QString::fromStdU16String(std::u16string(ops::firstToken(s.fileName)));
    if (!previous.isEmpty()) dialog.selectFile(previous);

    if (dialog.exec() != QDialog::Accepted) {
        s.fileName.clear();
        return;
    }
    const QString result = selectionResult(dialog.selectedFiles());
    if (result.size() > s.maxFileSize) {
        QMessageBox::warning(&owner_, QString::fromUtf8(shared::kProductName),
                             QString::fromStdU16String(shared::resultTooLongText(
                                 static_cast<std::size_t>(result.size()), s.maxFileSize)));
        s.fileName.clear();
        return;
    }
    s.fileName = result.toStdU16String();
}

}  // namespace ui
