// The player ended from outside in the middle of play: a SIGKILL loses at most the action under way, and
// SIGTERM ends the player as closing its window does.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <thread>

#include "files/kept_games.h"
#include "files/paths.h"
#include "text/text.h"

namespace tarvik::shell::testing {
namespace {

TEST(KilledPlayer, AKillLosesNoActionAndATermEndsThePlayerAsClosingDoes) {
    for (int sig : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(sig == SIGKILL ? "SIGKILL" : "SIGTERM");
        QTemporaryDir dir;
        const std::string quest = dir.filePath("hall.qst").toStdString();
        ASSERT_TRUE(WriteFileAtomically(
            quest,
            text::Utf8ToCp1251("pln Начало\r\nbtn hall, В зал\r\nend\r\n:hall\r\npln Зал 1\r\nend\r\n")));
        const QString state = dir.filePath("state"), settings = dir.filePath("tarvik.ini");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : {std::pair<QString, QString>{"QT_QPA_PLATFORM", "offscreen"},
                                          {"SDL_AUDIODRIVER", "dummy"},
                                          {"XDG_STATE_HOME", state},
                                          {"TARVIK_TEST_SETTINGS", settings}})
            env.insert(name, value);
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(TARVIK_KILL_CHILD, {QString::fromStdString(quest)});
        ASSERT_TRUE(player.waitForStarted(10000));

        setenv("XDG_STATE_HOME", state.toUtf8().constData(), 1);
        const std::string keptPath = files::KeptGamePath(quest);
        unsetenv("XDG_STATE_HOME");
        // The action's game is kept as soon as it comes to rest, with the window still up.
        std::string kept;
        for (int i = 0; i < 1200 && kept.find(text::Utf8ToCp1251("PrintLn Зал 1")) == std::string::npos;
             ++i) {
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
        EXPECT_TRUE(ReadWholeFile(keptPath, after) && after == kept);
        const std::filesystem::directory_iterator files(state.toStdString() + "/tarvik");
        EXPECT_EQ(std::distance(begin(files), end(files)), 1)
            << "no temporary file is left beside the kept game";
    }
}

}  // namespace
}  // namespace tarvik::shell::testing
