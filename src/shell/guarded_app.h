// The application object of the player. Whatever escapes a quest's run inside an event handler (an
// allocation failure included) is caught here, shown in a message box, and the player goes on; letting it
// through Qt's event loop would abort the program and lose the game.
#pragma once

#include <QApplication>

namespace tarvik::shell {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tarvik::shell
