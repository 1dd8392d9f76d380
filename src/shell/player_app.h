// The player's process around its main window: the application object with its names and translations, the
// window started with the command line's quest, and the ways the desktop or the system end the player (the
// session's log-out, SIGTERM, SIGHUP), each of which keeps the settings and the game first.
#pragma once

#include <functional>

namespace tarvik::shell {

class frmMain;

// Runs the player until it ends; returns the exit code. `prepare` runs on the window before its start-up and
// `started` after it (a program driving the player, such as a test, hooks in there).
int RunPlayer(int& argc, char** argv, const std::function<void(frmMain&)>& prepare = {},
              const std::function<void(frmMain&)>& started = {});

}  // namespace tarvik::shell
