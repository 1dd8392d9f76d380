// Qt's own texts (the buttons and labels of the file, font, message and input dialogs) in Russian, the
// program's language, whatever language the desktop is set to.
#pragma once

#include <QCoreApplication>

namespace tarvik::shell {

// Loads Qt's Russian catalogues from Qt's translations folder (Debian's qt6-translations-l10n) into `app`.
// Returns how many were installed; 0 when none is there, and the dialogs stay in English.
int InstallQtTranslations(QCoreApplication* app);

}  // namespace tarvik::shell
