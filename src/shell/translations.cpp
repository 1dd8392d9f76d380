#include "shell/translations.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tarvik::shell {

int InstallQtTranslations(QCoreApplication* app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    int installed = 0;
    // qtbase holds the standard dialogs; the others are there for a plugin or style that asks.
    for (const char* catalogue : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(app);
        if (translator->load(russian, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            ++installed;
        } else {
            delete translator;
        }
    }
    return installed;
}

}  // namespace tarvik::shell
