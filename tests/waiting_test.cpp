// Statements that wait for the player or for time, and player actions taken during a wait.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(Waiting, PauseWaitsOnlyForAValidTime) {
    QuestFixture q;
    q.Run("pause 1000\npause 0\npause abc\npause 40000\npln done");
    EXPECT_EQ(q.host.waits, std::vector<WaitReason>{WaitReason::Pause});
    EXPECT_EQ(q.Text(), "done \r\n");
}

TEST(Waiting, AnykeyStoresTheKeyCode) {
    QuestFixture q;
    q.host.waitEvents.push_back([](Engine& e) { e.PressKey(97); });
    q.host.waitEvents.push_back([](Engine& e) { e.PressButtonListKey(-1, 13); });  // Enter on an empty list
    q.Run("pln first\nanykey k\npln k=#k$\nanykey  k2 \npln k2=#k2$");
    EXPECT_EQ(q.Var("k"), "97");
    EXPECT_EQ(q.Var("k2"), "13");
    EXPECT_EQ(q.Text(), "first \r\nk=97 \r\nk2=13 \r\n");
}

TEST(Waiting, InputLineStoresNumbersAndTexts) {
    QuestFixture q;
    q.host.waitEvents.push_back([](Engine& e) {
        EXPECT_TRUE(e.inputVisible());
        e.SubmitLine("12.5");
    });
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine(">  hello  "); });
    q.Run("input n\ninput s\npln #n$ #s$");
    EXPECT_FALSE(q.engine->inputVisible());
    const Value* n = q.engine->FindVariable("n");
    ASSERT_NE(n, nullptr);
    EXPECT_TRUE(n->IsNumber());
    EXPECT_DOUBLE_EQ(n->num, 12.5);
    EXPECT_EQ(q.Var("s"), "hello");
    EXPECT_EQ(q.Text(), "12,5 hello \r\n");
}

TEST(Waiting, InputBoxPromptsAndStoresTheAnswer) {
    QuestFixture q;
    q.host.inputAnswers.push_back({DialogResult::State::Accepted, " 42 "});
    q.host.inputAnswers.push_back({DialogResult::State::Cancelled, "ignored"});
    q.Run("input_box a\ninput_text=\"Имя?\"\ninput_title=\"Вопрос\"\ninput_box b");
    ASSERT_EQ(q.host.inputs.size(), 2u);
    EXPECT_EQ(U(q.host.inputs[0].first), "Введите что-нить");
    EXPECT_EQ(U(q.host.inputs[0].second), "Тарвик:");
    EXPECT_EQ(U(q.host.inputs[1].first), "Имя?");
    EXPECT_EQ(U(q.host.inputs[1].second), "Вопрос");
    EXPECT_EQ(q.Var("a"), "42");
    const Value* b = q.engine->FindVariable("b");
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->IsText());
    EXPECT_EQ(b->str, "");
}

TEST(Waiting, AButtonChosenDuringAWaitTakesTheGameOver) {
    QuestFixture q;
    q.host.waitEvents.push_back([](Engine& e) { e.ChooseButton(0); });
    q.Run(":start\nbtn room, Go\nanykey k\npln never\nend\n:room\npln room");
    EXPECT_EQ(q.Text(), "room \r\n");
    EXPECT_EQ(q.Var("k"), "<unset>");
}

TEST(Waiting, ARunInterruptedByANewGameDoesNotGoOnInIt) {
    // The player starts a new game while an assignment lets the window in; the old run must not go on
    // fetching lines of the new game.
    QuestFixture q;
    q.Run("pln start\nend\n:loop\nx+=1\npln old\ngoto loop");
    q.WriteFile("quest.qst", "pln new\nend");
    q.host.onProcessEvents = [](Engine& e) { e.NewGame(); };
    q.engine->SelectButton(-1);
    std::string stmt = "goto loop";
    int level = 1;
    q.engine->RunLabel(level, stmt);  // jump into the loop: one statement
    std::string none;
    q.engine->RunLabel(level, none);  // and run it
    EXPECT_EQ(q.Text(), "new \r\n");
}

TEST(Waiting, NewGameEndsAWaitingQuit) {
    QuestFixture q;
    int games = 0;
    q.host.waitEvents.push_back([&](Engine& e) {
        ++games;
        q.WriteFile("quest.qst", "pln second game");
        e.NewGame();
    });
    q.Run("pln first game\nquit\npln never");
    EXPECT_EQ(games, 1);
    EXPECT_EQ(q.Text(), "second game \r\n");
}

TEST(Waiting, NewGameOrRestoreEndsAnykeyAndInputWaitsOfTheOldGame) {
    // The old game's anykey never gets its key: the player starts anew instead. The old wait must end with
    // its run, and the next key press must not land in the old game's variable.
    for (bool restore : {false, true}) {
        QuestFixture q;
        auto save = q.WriteBytes("s.qsv", "PerKill\r\nrestored=1\r\nend\r\n");
        q.host.waitEvents.push_back([&](Engine& e) {
            q.WriteFile("quest.qst", "pln second game\nbtn a, A\nend\n:a\nend");
            e.NewGame();
            if (restore) {
                DialogResult r;
                r.state = DialogResult::State::Accepted;
                r.text = save.string();
                q.host.openAnswers.push_back(r);
                e.RestoreGame();
            }
        });
        Engine& e = q.Run("pln first game\ninput typed\nanykey k\npln never");
        (void)e;
        // Only the one wait: it ended with the game it belonged to.
        EXPECT_EQ(q.host.waits.size(), 1u) << restore;
        EXPECT_FALSE(q.engine->inputVisible()) << restore;
        q.engine->PressKey(97);
        q.engine->SubmitLine("late");
        EXPECT_EQ(q.Var("k"), "<unset>") << restore;
        EXPECT_EQ(q.Var("typed"), "<unset>") << restore;
        EXPECT_EQ(q.Text().find("never"), std::string::npos) << restore;
        EXPECT_EQ(q.Var("restored"), restore ? "1" : "<unset>");
    }
}

TEST(Waiting, TheInnermostWaitIsReportedAndHandedBack) {
    QuestFixture q;
    std::vector<std::string> seen;
    q.host.waitEvents.push_back([&](Engine& e) {
        seen.push_back(e.waitingFor());
        e.ChooseButton(0);  // its run waits for typed text inside the key wait
        seen.push_back(e.waitingFor());
    });
    q.host.waitEvents.push_back([&](Engine& e) {
        seen.push_back(e.waitingFor());
        e.SubmitLine("x");
    });
    q.Run("btn r, Go\nanykey\nend\n:r\ninput name\nend\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"anykey", "input", "anykey"}));
    // The key wait still stands once the button's run has ended; a key now ends it.
    EXPECT_STREQ(q.engine->waitingFor(), "anykey");
}

}  // namespace
}  // namespace tarvik::testing
