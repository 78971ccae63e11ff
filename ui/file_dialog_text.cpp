#include "ui/file_dialog_text.h"

#include <QDir>
#include <QFileInfo>

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
    if (paths.size() < 2) return paths.isEmpty() ? QString() : QDir::toNativeSeparators(paths[0]);
    const QDir folder = QFileInfo(paths[0]).absoluteDir();
    QString result = QDir::toNativeSeparators(folder.absolutePath());
    if (!result.endsWith(QDir::separator())) result += QDir::separator();
    for (const QString& path : paths) {
        // A name typed with a folder part ("sub/a.dwg") stays reachable from the common folder.
        result += QChar(u'\0') + QDir::toNativeSeparators(folder.relativeFilePath(path));
    }
    return result;
}

}  // namespace ui
