#include "ui/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool loadQtChineseTranslations(QCoreApplication& application) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(&application);
        if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            return QCoreApplication::installTranslator(translator);
        }
        delete translator;
    }
    return false;
}

}  // namespace ui
