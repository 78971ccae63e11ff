#include "ui/qt/file_dialog_text.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "ops/file_list.h"

#include "ui/shared/file_filter.h"

namespace ui {

QStringList qtNameFilters(const QString& filter, bool listDxfForDwg) {
    QStringList filters;
    for (const shared::FilterEntry& entry :
         shared::filterEntries(filter.toStdU16String(), listDxfForDwg)) {
        QStringList patterns;
        for (const std::u16string& pattern : entry.patterns)
            patterns << QString::fromStdU16String(pattern);
        filters << QStringLiteral("%1 (%2)").arg(QString::fromStdU16String(entry.description),
                                                 patterns.join(u' '));
    }
    return filters;
}

QString selectionResult(const QStringList& paths) {
    if (paths.isEmpty()) return {};
    const QDir folder = QFileInfo(paths[0]).absoluteDir();
    QString folderText = QDir::toNativeSeparators(folder.absolutePath());
    if (!folderText.endsWith(QDir::separator())) folderText += QDir::separator();
    // A name typed with a folder part ("sub/a.dwg") stays reachable from the common folder.
    std::vector<std::u16string> names(static_cast<std::size_t>(paths.size()));
    std::transform(paths.begin(), paths.end(), names.begin(), [&folder](const QString& path) {
        return QDir::toNativeSeparators(folder.relativeFilePath(path)).toStdU16String();
    });
    return QString::fromStdU16String(ops::joinSelection(folderText.toStdU16String(), names));
}

}  // namespace ui
