// tarvik: the desktop player. The command line is one quest path, as a file manager passes it.
#include <QApplication>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <cstring>

#include "shell/frmmain.h"
#include "shell/guarded_app.h"
#include "shell/translations.h"

namespace {

const char kUsage[] =
    "Usage: tarvik [QUEST]\n"
    "\n"
    "Plays a Zot text quest (.qst, .qs1, .qs3) in a window. Without QUEST the window opens empty and a\n"
    "quest is chosen from the File menu, the history or by dropping its file onto the window. A QUEST that\n"
    "does not exist is ignored.\n"
    "\n"
    "  --help      show this text and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "The terminal player is tarvik-cli.\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before the window system is touched, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tarvik %s\n", TARVIK_VERSION);
            return 0;
        }
    }

    tarvik::shell::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tarvik"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarvik")));

    // The standard dialogs speak the program's language, not the desktop's.
    tarvik::shell::InstallQtTranslations(&app);

    // A path with blanks may arrive as several arguments; together they are the one quest path.
    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString commandLine = words.join(' ');

    tarvik::shell::frmMain window;
    window.Startup(commandLine);
    return app.exec();
}
