#include "ui/file_dialog_text.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "ops/file_list.h"

namespace ui {

namespace {

// "*.dwg" -> "*.dxf", "*.DWG" -> "*.DXF"; other patterns have no DXF twin.
QString dxfTwin(const QString& pattern) {
    if (!pattern.endsWith(QStringLiteral(".dwg"), Qt::CaseInsensitive)) return {};
    const bool upper = pattern.back().isUpper();
    return pattern.chopped(3) + (upper ? QStringLiteral("DXF") : QStringLiteral("dxf"));
}

QStringList patternsOf(const QString& patternList, bool listDxfForDwg) {
    QStringList patterns;
    for (const QString& part : patternList.split(u';')) {
        if (!part.trimmed().isEmpty()) patterns << part.trimmed();
    }
    if (!listDxfForDwg) return patterns;
    for (const QString& pattern : QStringList(patterns)) {
        const QString twin = dxfTwin(pattern);
        if (!twin.isEmpty() && !patterns.contains(twin, Qt::CaseInsensitive)) patterns << twin;
    }
    return patterns;
}

}  // namespace

QStringList qtNameFilters(const QString& filter, bool listDxfForDwg) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    // A description without a pattern after it names nothing to list.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = patternsOf(parts[i + 1], listDxfForDwg);
        if (patterns.isEmpty()) continue;
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(u' '));
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
