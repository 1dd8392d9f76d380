// tarvik-cli play --continue, the undo script action and --transcript, end to end.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_host.h"

namespace tarvik::testing {
namespace {

const char kQuest[] =
    "pln Начало\n"
    "btn hall, В зал\n"
    "end\n"
    ":hall\n"
    "visits=visits+1\n"
    "pln Зал, визит #visits$\n"
    "btn ask, Имя\n"
    "btn hall, Ещё\n"
    "inv+ ключ\n"
    "end\n"
    ":ask\n"
    "pln Как вас зовут?\n"
    "input name\n"
    "pln Привет, #name$\n"
    "btn hall, Назад\n"
    "end\n";

// The game part of a dump: screen, buttons, inventory, actions and variables.
std::string Game(const std::string& dump) {
    size_t from = dump.find("{\"text\":");
    size_t to = dump.find(",\"messages\":");
    EXPECT_TRUE(from != std::string::npos && to != std::string::npos) << dump;
    return from == std::string::npos || to == std::string::npos ? dump : dump.substr(from, to - from);
}

class SessionCli : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_STATE_HOME");
        m_Had = old != nullptr;
        if (old) m_Old = old;
        setenv("XDG_STATE_HOME", (q.dir / "state").c_str(), 1);
        quest = q.WriteFile("quest.qst", kQuest).string();
    }
    void TearDown() override {
        if (m_Had)
            setenv("XDG_STATE_HOME", m_Old.c_str(), 1);
        else
            unsetenv("XDG_STATE_HOME");
    }
    CliResult Play(const std::string& script, std::vector<std::string> extra = {}) {
        auto file = q.WriteBytes("script.txt", script);
        std::vector<std::string> args = {"play", quest, "--dump", "--script", file.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        CliResult r = RunCli(args, q.dir);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r;
    }

    QuestFixture q;
    std::string quest;

private:
    bool m_Had = false;
    std::string m_Old;
};

TEST_F(SessionCli, AKeptGameComesBackIdenticalAndAQuitOneIsDropped) {
    CliResult first = Play("choose 1\nchoose 2\n", {"--continue"});
    CliResult second = Play("", {"--continue"});
    EXPECT_EQ(Game(second.out), Game(first.out));
    EXPECT_NE(second.out.find("Зал, визит 2"), std::string::npos) << second.out;
    // Played on, the continued game goes where the first would have gone.
    CliResult third = Play("choose 2\n", {"--continue"});
    EXPECT_NE(third.out.find("Зал, визит 3"), std::string::npos) << third.out;

    // Left inside the input, the game is kept as it was before the choice that led there.
    CliResult left = Play("choose 1\n", {"--continue"});
    EXPECT_NE(left.out.find("Как вас зовут?"), std::string::npos) << left.out;
    CliResult back = Play("", {"--continue"});
    EXPECT_NE(back.out.find("Зал, визит 3"), std::string::npos) << back.out;
    EXPECT_EQ(back.out.find("Как вас зовут?"), std::string::npos) << back.out;

    // Without --continue nothing is read: the quest starts anew.
    CliResult fresh = Play("");
    EXPECT_NE(fresh.out.find("\"text\":\"Начало \\r\\n\""), std::string::npos) << fresh.out;
}

TEST_F(SessionCli, AQuestThatOpensWithAQuestionIsTakenUpWithoutAskingIt) {
    quest = q.WriteFile("named.qst",
                        "pln Как вас зовут?\ninput name\npln Привет, #name$\nbtn hall, В зал\nend\n"
                        ":hall\nvisits=visits+1\npln Зал, визит #visits$\nbtn hall, Ещё\ninv+ ключ\nend\n")
                .string();
    CliResult first = Play("type Вася\nchoose 1\n", {"--continue"});
    CliResult second = Play("", {"--continue"});
    EXPECT_EQ(Game(second.out), Game(first.out));
    EXPECT_NE(second.out.find("\"waiting\":\"\""), std::string::npos) << second.out;
    EXPECT_EQ(second.err, "");
}

TEST_F(SessionCli, UndoStepsBackAcrossAnInput) {
    CliResult before = Play("choose 1\n");
    CliResult r = Play("choose 1\nchoose 1\ntype Вася\nundo\n");
    EXPECT_EQ(Game(r.out), Game(before.out));
    EXPECT_NE(r.out.find("\"undo\":1"), std::string::npos) << r.out;
    r = Play("choose 1\nundo\nundo\n");
    EXPECT_NE(r.err.find("script line 3: there is no step to undo"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"undo\":0"), std::string::npos) << r.out;
}

TEST_F(SessionCli, TranscriptHoldsTheScriptedPlaysPagesInOrder) {
    auto transcript = q.dir / "t.txt";
    Play("choose 1\nchoose 1\ntype Вася\nchoose 1\n", {"--transcript", transcript.string()});
    const std::string t = Slurp(transcript);
    size_t at = 0;
    for (const char* piece :
         {"Начало", "[1] В зал", "> В зал", "Зал, визит 1", "[1] Имя", "[2] Ещё", "> Имя", "Как вас зовут?",
          "> Вася", "Привет, Вася", "[1] Назад", "> Назад", "Зал, визит 2"}) {
        size_t found = t.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " after " << at << " in\n" << t;
        at = found;
    }
    CliResult r = RunCli({"play", quest, "--dump", "--transcript", (q.dir / "no" / "t.txt").string()}, q.dir);
    EXPECT_EQ(r.exitCode, 1);
}

}  // namespace
}  // namespace tarvik::testing
