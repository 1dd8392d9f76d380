#include "shell/player_app.h"

#include <QIcon>
#include <QSessionManager>
#include <QStringList>

#include "shell/frmmain.h"
#include "shell/guarded_app.h"
#include "shell/quit_signals.h"
#include "shell/translations.h"

namespace tarvik::shell {

int RunPlayer(int& argc, char** argv, const std::function<void(frmMain&)>& prepare,
              const std::function<void(frmMain&)>& started) {
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tarvik"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarvik")));

    // The standard dialogs speak the program's language, not the desktop's.
    InstallQtTranslations(&app);

    // A path with blanks may arrive as several arguments; together they are the one quest path.
    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString commandLine = words.join(' ');

    frmMain window;
    // The desktop's log-out may end the process without closing the window; the game is kept before it
    // does. Nothing is asked: the player is leaving.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.KeepForQuit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.KeepForQuit(); });
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window,
                     [&window](int) { window.QuitOnSignal(); });

    if (prepare) prepare(window);
    window.Startup(commandLine);
    if (started) started(window);
    return app.exec();
}

}  // namespace tarvik::shell
