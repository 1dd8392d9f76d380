// The player ended from outside in the middle of play: a SIGKILL loses at most the action under way, and
// SIGTERM ends the player as closing its window does.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "engine/paths.h"
#include "text/text.h"
#include "tools/kept_games.h"

namespace tarvik::shell::testing {
namespace {

TEST(KilledPlayer, AKillLosesNoActionAndATermEndsThePlayerAsClosingDoes) {
    for (int sig : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(sig == SIGKILL ? "SIGKILL" : "SIGTERM");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const std::string quest = dir.filePath("hall.qst").toStdString();
        ASSERT_TRUE(WriteFileAtomically(quest, text::Utf8ToCp1251("pln Начало\r\nbtn hall, В зал\r\nend\r\n"
                                                                  ":hall\r\nn=n+1\r\npln Зал #n$\r\n"
                                                                  "btn hall, Ещё\r\nend\r\n")));
        const QString state = dir.filePath("state"), settings = dir.filePath("tarvik.ini");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.insert("XDG_STATE_HOME", state);
        env.insert("TARVIK_TEST_SETTINGS", settings);
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(TARVIK_KILL_CHILD, {QString::fromStdString(quest)});
        ASSERT_TRUE(player.waitForStarted(10000));

        setenv("XDG_STATE_HOME", state.toUtf8().constData(), 1);
        const std::string keptPath = tools::KeptGamePath(quest);
        unsetenv("XDG_STATE_HOME");
        // The action's game is kept as soon as it comes to rest, with the window still up.
        std::string kept;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (kept.find(text::Utf8ToCp1251("PrintLn Зал 1")) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!ReadWholeFile(keptPath, kept)) kept.clear();
        }
        ASSERT_NE(kept.find(text::Utf8ToCp1251("PrintLn Зал 1")), std::string::npos) << kept;
        EXPECT_EQ(player.state(), QProcess::Running);

        ASSERT_EQ(::kill(static_cast<pid_t>(player.processId()), sig), 0);
        ASSERT_TRUE(player.waitForFinished(20000));
        if (sig == SIGTERM) {
            EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
            EXPECT_TRUE(std::filesystem::is_regular_file(settings.toStdString()))
                << "the settings are written as at closing";
        }
        std::string after;
        ASSERT_TRUE(ReadWholeFile(keptPath, after));
        EXPECT_EQ(after, kept);
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(state.toStdString() + "/tarvik")) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, 1) << "no temporary file is left beside the kept game";
    }
}

}  // namespace
}  // namespace tarvik::shell::testing
