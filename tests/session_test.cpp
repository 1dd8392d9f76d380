// Continue, undo and transcript: a kept or undone game comes back as it was, and a transcript holds the play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "files/kept_games.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

const char kQuest[] =
    "gold=5\n"
    "pln Начало\n"
    "btn hall, В зал\n"
    "inv+ lamp\n"
    "end\n"
    ":hall\n"
    "gold=gold+1\n"
    "pln В зале, золота #gold$\n"
    "btn ask, Спросить имя\n"
    "btn hall, Ещё раз\n"
    "end\n"
    ":ask\n"
    "pln Как вас зовут?\n"
    "input name\n"
    "pln Привет, #name$\n"
    "btn hall, Назад\n"
    "end\n"
    ":use_lamp\n"
    "pln Лампа светит\n"
    "inv+ oil\n"
    "lit=1\n"
    "end\n"
    ":finish\n"
    "quit\n";

// What the dump shows of a game: screen, buttons with their targets, inventory, every variable.
struct State {
    std::string text;
    std::vector<std::string> buttons, items, variables;

    explicit State(const Engine& e) : text(U(e.ScreenText())) {
        for (size_t i = 0; i < e.buttons().size(); ++i)
            buttons.push_back(U(e.buttonLabels()[i] + "|" + e.buttonCommands()[i] + "|" + e.buttons()[i]));
        for (int i = 0; i <= e.invLast(); ++i)
            items.push_back(U(e.inventory()[static_cast<size_t>(i)].text) + "x" +
                            std::to_string(e.inventory()[static_cast<size_t>(i)].count));
        for (const auto& name : e.varNames()) {
            const Value* v = e.FindVariable(name);
            variables.push_back(U(name) + (v ? (v->IsNumber() ? "=n:" : "=t:") + U(v->ToText()) : "?"));
        }
    }
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os) {
    *os << "text: " << s.text << "\nbuttons:";
    for (auto& b : s.buttons) *os << " [" << b << "]";
    *os << "\nitems:";
    for (auto& i : s.items) *os << " [" << i << "]";
    *os << "\nvariables:";
    for (auto& v : s.variables) *os << " " << v;
}

void Choose(Engine& e, int index) {
    e.ChooseButton(index);
}

void UseItem(Engine& e, int index) {
    e.ClickItem(index);
    e.ChooseAction(e.selectedAction());
}

TEST(Continue, AKeptGameComesBackIdenticalInAFreshPlayer) {
    QuestFixture q;
    Engine& e = q.Run(kQuest);
    Choose(e, 0);
    UseItem(e, 0);
    ASSERT_TRUE(e.AtRest());
    const State before(e);
    const std::string kept = e.KeptGameText();
    ASSERT_FALSE(kept.empty());

    TestHost host;
    Engine fresh(host);
    host.engine = &fresh;
    fresh.OpenQuest((q.dir / "quest.qst").string());
    fresh.RestoreQuietly(kept);
    EXPECT_EQ(State(fresh), before);
    EXPECT_TRUE(fresh.AtRest());
    // The restore gives the items back without telling the player about each.
    EXPECT_TRUE(host.boxes.empty());

    // The restored game plays on as the kept one would.
    Choose(fresh, 1);
    Choose(e, 1);
    EXPECT_EQ(State(fresh), State(e));
}

TEST(Continue, TakingUpAKeptGameRunsNoneOfTheOpening) {
    QuestFixture q;
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine(W("Вася")); });
    // The opening plays a knock and asks a name before the first choice.
    Engine& e = q.Run(
        "play knock.wav\ninput name\npln Привет, #name$\nbtn hall, В зал\nend\n"
        ":hall\ngold=gold+1\npln Зал\nbtn hall, Ещё\ninv+ lamp\nend\n");
    Choose(e, 0);
    ASSERT_TRUE(e.AtRest());
    const std::string path = (q.dir / "quest.qst").string();
    for (bool saved : {true, false}) {
        TestHost host;
        Engine fresh(host);
        host.engine = &fresh;
        // What is no saved game is not taken up: the quest opens as a new game, and asks.
        EXPECT_EQ(fresh.ContinueQuest(path, saved ? e.KeptGameText() : "gold=7\r\nend\r\n"), saved);
        EXPECT_EQ(host.waits.size(), saved ? 0u : 1u);
        EXPECT_EQ(
            std::count_if(host.audio.begin(), host.audio.end(),
                          [](const std::string& a) { return a.find("knock.wav") != std::string::npos; }),
            saved ? 0 : 1);
        if (saved) {
            EXPECT_EQ(State(fresh), State(e));
        }
    }
}

TEST(Continue, AKeptGameOfAChangedQuestRestoresAsASavedGameWould) {
    QuestFixture q;
    Engine& e = q.Run(kQuest);
    Choose(e, 0);
    const State before(e);
    const std::string kept = e.KeptGameText();

    // The author renamed the hall and dropped the lamp since.
    q.WriteFile("quest.qst", "pln Новое начало\nbtn lobby, Вперёд\nend\n:lobby\npln Холл\nend\n");
    TestHost host;
    Engine fresh(host);
    host.engine = &fresh;
    fresh.OpenQuest((q.dir / "quest.qst").string());
    fresh.RestoreQuietly(kept);
    const State restored(fresh);
    EXPECT_EQ(restored.text, before.text);
    EXPECT_EQ(restored.items, before.items);
    EXPECT_EQ(restored.variables, before.variables);
    // A button whose label is gone is marked and leads nowhere, as in a loaded saved game.
    ASSERT_EQ(restored.buttons.size(), before.buttons.size());
    for (size_t i = 0; i < before.buttons.size(); ++i)
        EXPECT_EQ(restored.buttons[i].rfind(before.buttons[i], 0), 0u) << restored.buttons[i];
    Choose(fresh, 0);
    EXPECT_EQ(State(fresh), restored);
}

TEST(Continue, NothingIsKeptOfAGameThatQuitOrNeverCameToRest) {
    {
        QuestFixture q;
        q.host.waitEvents.push_back([](Engine& e) { EXPECT_TRUE(e.KeptGameText().empty()); });
        Engine& e = q.Run("pln Кто вы?\ninput name\nbtn x, X\nend\n:x\nend\n");
        EXPECT_FALSE(e.AtRest());  // the test host stopped the engine inside the input
    }
    {
        QuestFixture q;
        std::string keptDuringQuit = "unset";
        q.host.waitEvents.push_back([&](Engine& e) { keptDuringQuit = e.KeptGameText(); });
        Engine& e = q.Run(kQuest);
        Choose(e, 0);
        e.GotoLabel("finish", 1);
        int level = 1;
        std::string none;
        e.RunLabel(level, none);
        EXPECT_EQ(keptDuringQuit, "");
    }
}

TEST(Undo, StepsBackOverAChoiceAnItemActionAndAnInput) {
    QuestFixture q;
    Engine& e = q.Run(kQuest);
    EXPECT_FALSE(e.CanUndo());
    const State start(e);
    Choose(e, 0);
    const State inHall(e);
    UseItem(e, 0);
    const State lit(e);
    ASSERT_EQ(e.undoSteps(), 2u);

    bool undoDuringInput = true;
    std::string keptDuringInput;
    q.host.waitEvents.push_back([&](Engine& en) {
        undoDuringInput = en.CanUndo() || en.Undo();
        keptDuringInput = en.KeptGameText();
        en.SubmitLine(W(">Вася"));
    });
    Choose(e, 0);
    EXPECT_EQ(q.Text(), "Как вас зовут? \r\nПривет, Вася \r\n");
    EXPECT_FALSE(undoDuringInput);
    // Left during the input, the game keeps what it was before the choice that led there.
    ASSERT_FALSE(keptDuringInput.empty());
    {
        TestHost host;
        Engine other(host);
        host.engine = &other;
        other.OpenQuest((q.dir / "quest.qst").string());
        other.RestoreQuietly(keptDuringInput);
        EXPECT_EQ(State(other), lit);
    }

    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(State(e), lit);
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(State(e), inHall);
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(State(e), start);
    EXPECT_FALSE(e.Undo());
    EXPECT_EQ(State(e), start);

    // Undone, the game plays on from there.
    Choose(e, 0);
    EXPECT_EQ(State(e), inHall);
}

TEST(Undo, KeepsTheLastHundredStepsAndForgetsThemForANewGame) {
    QuestFixture q;
    Engine& e = q.Run(kQuest);
    Choose(e, 0);
    for (int i = 0; i < 110; ++i) Choose(e, 1);
    EXPECT_EQ(e.undoSteps(), Engine::kUndoSteps);
    while (e.Undo()) {
    }
    // The oldest eleven steps went: undoing ends after the eleventh choice.
    EXPECT_EQ(q.Var("gold"), "16");

    Choose(e, 1);
    e.NewGame();
    EXPECT_FALSE(e.CanUndo());
    // An action the quest has no procedure for leaves no step.
    e.ClickItem(0);
    e.RunItemAction("Съесть");
    EXPECT_FALSE(e.CanUndo());
}

TEST(KeptGames, OneFilePerQuestInTheStateFolder) {
    QuestFixture q;
    const std::string state = (q.dir / "state").string();
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);

    const std::string a = q.WriteFile("one/quest.qst", "end\n").string();
    const std::string b = q.WriteFile("two/quest.qst", "end\n").string();
    EXPECT_EQ(files::KeptGamesFolder(), state + "/tarvik");
    EXPECT_NE(files::KeptGamePath(a), files::KeptGamePath(b));
    EXPECT_EQ(files::KeptGamePath(a).rfind(state + "/tarvik/quest.qst-", 0), 0u) << files::KeptGamePath(a);
    EXPECT_EQ(files::KeptGamePath(a), files::KeptGamePath(q.dir.string() + "/one/../one/quest.qst"));

    std::string bytes;
    EXPECT_FALSE(files::ReadKeptGame(a, bytes));
    ASSERT_TRUE(files::KeepGame(a, "PerKill\r\nend\r\n"));
    ASSERT_TRUE(files::ReadKeptGame(a, bytes));
    EXPECT_EQ(bytes, "PerKill\r\nend\r\n");
    EXPECT_FALSE(files::ReadKeptGame(b, bytes));
    // Keeping nothing drops what was kept.
    ASSERT_TRUE(files::KeepGame(a, ""));
    EXPECT_FALSE(files::ReadKeptGame(a, bytes));

    if (old)
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
}

TEST(KeptGames, AFailedBackgroundWriteIsToldOnceAndTheTextTriedAgain) {
    QuestFixture q;
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    const std::string blocked = q.WriteFile("blocked", "x").string();  // where the state folder would be
    setenv("XDG_STATE_HOME", blocked.c_str(), 1);
    const std::string quest = q.WriteFile("quest.qst", "end\n").string(), game = "PerKill\r\nend\r\n";
    {
        files::GameKeeper keeper;
        keeper.SetQuest(quest);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(keeper.KeepInBackground(game), i == 0 || i == 3) << i;
            keeper.Finish();
            if (i == 1) std::filesystem::remove(blocked);  // the folder can be made from now on
        }
    }
    std::string bytes;
    EXPECT_TRUE(files::ReadKeptGame(quest, bytes) && bytes == game);
    old ? setenv("XDG_STATE_HOME", saved.c_str(), 1) : unsetenv("XDG_STATE_HOME");
}

TEST(Transcript, HoldsThePagesChoicesItemsAndTypedLinesInOrder) {
    QuestFixture q;
    Engine& e = q.Run(kQuest);
    const auto file = q.dir / "session.txt";
    ASSERT_TRUE(e.StartTranscript(file.string()));
    Choose(e, 0);
    UseItem(e, 0);
    q.host.waitEvents.push_back([](Engine& en) { en.SubmitLine(W("Вася")); });
    Choose(e, 0);
    e.Undo();
    e.StopTranscript();
    Choose(e, 0);  // not written: the transcript is off

    const std::string written = Slurp(file);
    const std::vector<std::string> order = {"Начало",           "[1] В зал",        "> В зал",
                                            "В зале, золота 6", "[1] Спросить имя", "> lamp: Осмотреть",
                                            "Лампа светит",     "> Спросить имя",   "Как вас зовут?",
                                            "> Вася",           "Привет, Вася",     "[1] Назад",
                                            "> (ход назад)",    "В зале, золота 6"};
    size_t at = 0;
    for (const auto& piece : order) {
        size_t found = written.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "\"" << piece << "\" after byte " << at << " in:\n" << written;
        at = found + piece.size();
    }
    EXPECT_EQ(written.find('\r'), std::string::npos);
    EXPECT_EQ(written.find("Назад", at), std::string::npos) << "written after it was switched off";
    EXPECT_FALSE(e.StartTranscript((q.dir / "no-such-folder" / "t.txt").string()));
}

}  // namespace
}  // namespace tarvik::testing
