// tarvik: the desktop player. The command line is one quest path, as a file manager passes it.
#include <cstdio>
#include <cstring>

#include "shell/player_app.h"

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

    return tarvik::shell::RunPlayer(argc, argv);
}
