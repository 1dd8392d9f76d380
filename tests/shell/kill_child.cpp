// The player as its own program for the kill test: the real start-up (the signals, the session's end, the
// kept games) with the settings file the test names, and one action of the player -- Enter on the first
// button -- once the quest has come to rest.
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "shell/frmmain.h"
#include "shell/player_app.h"

int main(int argc, char** argv) {
    using tarvik::shell::frmMain;
    const std::string settings = qgetenv("TARVIK_TEST_SETTINGS").toStdString();
    return tarvik::shell::RunPlayer(
        argc, argv,
        [&settings](frmMain& w) {
            w.SetSettingsFile(settings);
            w.SetSplashEnabled(false);
        },
        [](frmMain& w) {
            auto* poll = new QTimer(&w);
            QObject::connect(poll, &QTimer::timeout, &w, [&w, poll] {
                auto* list = w.findChild<QListWidget*>("List1");
                if (!w.engine().AtRest() || !list || list->count() == 0) return;
                poll->stop();
                list->setFocus();
                list->setCurrentRow(0);
                QTest::keyClick(list, Qt::Key_Return);
            });
            poll->start(50);
        });
}
