// The widget tests share one QApplication, on the offscreen platform unless another one is asked for.
#include <gtest/gtest.h>

#include "shell/guarded_app.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Quests that play music play it on SDL's silent driver: no test depends on a sound card.
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    // The player's own application object, which keeps the player alive when a handler fails.
    tarvik::shell::GuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
