// Saved games: the file a save writes, and the game a restore rebuilds from it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "test_host.h"

namespace tarvik::testing {
namespace {

DialogResult Chosen(const std::filesystem::path& p) {
    DialogResult r;
    r.state = DialogResult::State::Accepted;
    r.text = p.string();
    return r;
}

// The file's lines after the predefined variables, which every save starts with.
std::vector<std::string> LinesAfter(const std::string& bytes, const std::string& first) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < bytes.size()) {
        size_t end = bytes.find("\r\n", from);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        lines.push_back(U(bytes.substr(from, end - from)));
        from = end + 2;
    }
    auto it = std::find(lines.begin(), lines.end(), first);
    EXPECT_NE(it, lines.end()) << first;
    return {it, lines.end()};
}

// An inventory entry reads "<count>шт. <name>".
std::string ItemName(const std::string& entry) {
    size_t dot = entry.find('.');
    return text::Trim(std::string_view(entry).substr(dot == std::string::npos ? 0 : dot + 1));
}

struct Snapshot {
    std::string text;
    std::vector<std::string> buttons, labels, commands;
    std::vector<std::pair<std::string, int32_t>> items;          // name, count
    std::vector<std::pair<std::string, std::string>> variables;  // name, kind + value

    explicit Snapshot(const Engine& e) : text(e.ScreenText()), buttons(e.buttons()) {
        for (size_t i = 0; i < e.buttons().size(); ++i) {
            labels.push_back(e.buttonLabels()[i]);
            commands.push_back(e.buttonCommands()[i]);
        }
        for (int i = 0; i <= e.invLast(); ++i)
            items.emplace_back(ItemName(e.inventory()[static_cast<size_t>(i)].text),
                               e.inventory()[static_cast<size_t>(i)].count);
        for (const auto& name : e.varNames()) {
            const Value* v = e.FindVariable(name);
            variables.emplace_back(name, v ? std::string(v->IsNumber() ? "n:" : "t:") + v->ToText() : "?");
        }
    }
};

const char kPlainQuest[] =
    "gold=5\n"
    "hero=\"Иван\"\n"
    "half=3.5\n"
    "neg=-2\n"
    "inv+ key\n"
    "inv+ 3,coins\n"
    "pln Привет\n"
    "p partial\n"
    "xbtn room2, {inv+ key|p ok}, Go\n"
    "btn room5, Пятая\n"
    "save\n"
    "end\n"
    ":room2\n"
    "pln in room2\n"
    "end\n"
    ":room5\n"
    "pln in room5\n"
    "btn room2, back\n"
    "end\n";

TEST(SavedGames, WritesThePlainFormatLineForLine) {
    QuestFixture q;
    auto file = q.dir / "slot1";
    q.host.saveAnswers.push_back(Chosen(file));
    q.Run(kPlainQuest);

    // The chosen name gets ".qsv"; the file starts with PerKill and the predefined variables.
    std::string bytes = Slurp(q.dir / "slot1.qsv");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.rfind("PerKill\r\nStyle_TextColor=-2147483640\r\n", 0), 0u) << U(bytes);
    std::vector<std::string> expected = {
        "gold=5",
        "hero=\"Иван\"",
        "half=3,5",
        "neg=-2",
        "zot_inv=2",
        "PrintLn Привет ",
        "PrintLn partial",
        "xBtn room2,{inv+ key|p ok},Go ",
        "xBtn room5,{},Пятая ",
        "InvKill",
        "Inv+ key",
        "Inv+  3 ,coins",
        "end",
    };
    EXPECT_EQ(LinesAfter(bytes, "gold=5"), expected);
}

TEST(SavedGames, SaveWithALabelKeepsStateOnlyAndRestoresThroughTheLabel) {
    QuestFixture q;
    q.host.saveAnswers.push_back(Chosen(q.dir / "five.QSV.bak"));
    Engine& e = q.Run(
        "gold=7\n"
        "inv+ 2,apples\n"
        "pln not kept\n"
        "btn room2, not kept\n"
        "save room5\n"
        "end\n"
        ":room2\n"
        "end\n"
        ":room5\n"
        "pln back in five, gold #gold$\n"
        "btn room2, onward\n"
        "end\n");
    // Only the name up to ".qsv" counts, whatever its case.
    std::string bytes = Slurp(q.dir / "five.qsv");
    std::vector<std::string> expected = {"gold=7",          "zot_inv=1", "InvKill",
                                         "Inv+  2 ,apples", "Cls",       "GoTo room5 "};
    EXPECT_EQ(LinesAfter(bytes, "gold=7"), expected);

    e.NewGame();
    q.host.openAnswers.push_back(Chosen(q.dir / "five.qsv"));
    e.RestoreGame();
    EXPECT_EQ(q.Text(), "back in five, gold 7 \r\n");
    EXPECT_EQ(q.Buttons(), std::vector<std::string>{"onward "});
    // The entry reads as it did when saved, though the file writes the count between blanks.
    EXPECT_EQ(q.Items(), std::vector<std::string>{"2шт. apples"});
    ASSERT_EQ(q.host.openDialogs.size(), 1u);
    EXPECT_EQ(U(q.host.openDialogs[0].first), "Какое сохранение вы желаете загрузить? ");
}

TEST(SavedGames, RoundTripRestoresEveryFieldIncludingAwkwardText) {
    QuestFixture q;
    auto file = q.dir / "round.qsv";
    // Text the plain format would damage: comment, quotes, substitution forms, HTML tags, "&", CR LF.
    q.host.saveAnswers.push_back(Chosen(file));
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine(W("a;b \"q\" #x$ <html> 100% & more")); });
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine(W("semi; \"q\" </html> #y$")); });
    Engine& e = q.Run(
        "gold=5\n"
        "hero=\"Иван\"\n"
        "input odd\n"
        "input scr\n"
        "odd2=\"line one#/$line two && more\"\n"
        "%name=4\n"
        "numeric_text=\"12\"\n"
        "inv+ key\n"
        "inv+ 1,соль, перец\n"
        "inv+ 2,a && b\n"
        "pln Привет\n"
        "pln #scr$\n"
        "pln two#/$lines\n"
        "xbtn room2, {inv+ key|p ok}, Go\n"
        "xbtn room2, {p x|p y}, Go && see\n"
        "p partial\n"
        "save\n"
        "end\n"
        ":room2\n"
        "end\n");
    ASSERT_NE(q.Var("odd").find(';'), std::string::npos);
    ASSERT_NE(q.Var("odd2").find("\r\n"), std::string::npos);
    ASSERT_NE(q.Text().find("semi;"), std::string::npos);
    Snapshot before(e);

    // The new game asks again and gets other answers.
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine("other"); });
    q.host.waitEvents.push_back([](Engine& e) { e.SubmitLine("answers"); });
    e.NewGame();
    ASSERT_NE(Snapshot(e).variables, before.variables);
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    Snapshot after(e);

    // A text that reads as a number comes back as the number, as the format has always done.
    for (auto& [name, value] : before.variables)
        if (name == "numeric_text") value = "n:12";
    EXPECT_EQ(after.variables, before.variables);
    EXPECT_EQ(after.buttons, before.buttons);
    EXPECT_EQ(after.labels, before.labels);
    EXPECT_EQ(after.commands, before.commands);
    EXPECT_EQ(after.items, before.items);
    EXPECT_EQ(q.Var("%name"), "4");
    // Lines come back as lines: the last partial line gains its line break.
    EXPECT_EQ(after.text, before.text + "\r\n");
    // Lines without awkward characters stay in the plain format.
    std::string bytes = Slurp(file);
    EXPECT_NE(bytes.find("\r\ngold=5\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nxBtn room2,{inv+ key|p ok},Go \r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("<html>"), std::string::npos);
    EXPECT_EQ(bytes.find(';'), std::string::npos);
}

TEST(SavedGames, RestoreEndsWaitingForAChoiceAndButtonsRunAtLevelOne) {
    QuestFixture q;
    auto file = q.dir / "wait.qsv";
    q.host.saveAnswers.push_back(Chosen(file));
    Engine& e = q.Run(
        "pln start\n"
        "btn next, Дальше\n"
        "save\n"
        "pln after save\n"
        "end\n"
        ":next\n"
        "cls\n"
        "pln next room\n"
        "end\n");
    EXPECT_EQ(q.Text(), "start \r\nafter save \r\n");
    e.NewGame();
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    // The quest's own lines after the save point do not run: the restored screen waits.
    EXPECT_EQ(q.Text(), "start \r\n");
    e.ChooseButton(0);
    EXPECT_EQ(q.Text(), "next room \r\n");
}

TEST(SavedGames, CancelledOrFailedDialogsLeaveTheGameAsItIs) {
    QuestFixture q;
    Engine& e = q.Run("x=1\npln here\nsave\nbtn a, A\nend\n:a\nend\n");
    // Save cancelled: nothing written, the run goes on.
    EXPECT_EQ(q.Buttons(), std::vector<std::string>{"A "});
    for (const auto& entry : std::filesystem::directory_iterator(q.dir))
        EXPECT_NE(entry.path().extension(), ".qsv") << entry.path();

    e.RestoreGame();  // cancelled
    q.host.openAnswers.push_back(Chosen(q.dir / "missing.qsv"));
    e.RestoreGame();  // unreadable
    EXPECT_EQ(q.Text(), "here \r\n");
    EXPECT_EQ(q.Var("x"), "1");
}

TEST(SavedGames, AFailedWriteIsReportedAndLeavesNoFile) {
    QuestFixture q;
    q.host.saveAnswers.push_back(Chosen(q.dir / "no-such-folder" / "s"));
    q.Run("save\npln after\n");
    ASSERT_EQ(q.host.boxes.size(), 1u);
    EXPECT_NE(U(q.host.boxes[0].text).find("Не удалось"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(q.dir / "no-such-folder"));
    EXPECT_EQ(q.Text(), "after \r\n");
}

TEST(SavedGames, BrokenFilesRestoreWithoutHarm) {
    QuestFixture q;
    auto file = q.dir / "full.qsv";
    q.host.saveAnswers.push_back(Chosen(file));
    Engine& e = q.Run(kPlainQuest);
    std::string full = Slurp(file);

    // Cut at every length: never a crash, and a file without its final line never runs the quest from the
    // top over the restored state.
    for (size_t cut = 0; cut < full.size(); cut += 7) {
        auto part = q.WriteBytes("cut.qsv", full.substr(0, cut));
        q.host.openAnswers.push_back(Chosen(part));
        e.RestoreGame();
        EXPECT_EQ(q.Text().find("in room"), std::string::npos) << cut;
    }

    // Binary noise, and a save of another quest whose label does not exist here.
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
    q.host.openAnswers.push_back(Chosen(q.WriteBytes("noise.qsv", noise)));
    e.RestoreGame();
    q.host.openAnswers.push_back(
        Chosen(q.WriteBytes("other.qsv", "PerKill\r\nz=1\r\nCls\r\nGoTo elsewhere \r\n")));
    e.RestoreGame();
    EXPECT_EQ(q.Var("z"), "1");
    EXPECT_EQ(q.Text(), "");

    // A saved game still restores after all that.
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    EXPECT_EQ(q.Text(), "Привет \r\npartial\r\n");
}

TEST(SavedGames, ANewGameDuringARestoreEndsIt) {
    QuestFixture q;
    auto file = q.WriteBytes("s.qsv", "PerKill\r\na=1\r\nb=2\r\nc=3\r\nend\r\n");
    Engine& e = q.Run("pln fresh\nend\n");
    int calls = 0;
    q.host.onProcessEvents = [&](Engine& eng) {
        if (++calls == 1) eng.NewGame();
    };
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    // The first assignment let the player in, who started anew: the rest of the file is not applied.
    EXPECT_EQ(q.Var("c"), "<unset>");
    EXPECT_EQ(q.Text(), "fresh \r\n");
}

TEST(SavedGames, RestoredItemsReadAsTheyDidWhenSaved) {
    QuestFixture q;
    auto file = q.dir / "items.qsv";
    q.host.saveAnswers.push_back(Chosen(file));
    Engine& e = q.Run("inv+ Фонарь\ninv+ 3, Монета\ninv+ Монета\ninv+ 2,Ключ\ninv- Ключ\nsave\nend\n");
    const std::vector<std::string> saved = q.Items();
    ASSERT_EQ(saved, (std::vector<std::string>{"1шт. Фонарь", "4шт. Монета", "1шт. Ключ"}));
    e.NewGame();
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    EXPECT_EQ(q.Items(), saved);
    // The file keeps its format: the count with a blank on each side.
    EXPECT_NE(Slurp(file).find(W("\r\nInv+  4 ,Монета\r\n")), std::string::npos);
}

TEST(SavedGames, AFileThatIsNoSavedGameIsRefusedAndTheGameKept) {
    QuestFixture q;
    Engine& e = q.Run("x=1\npln идёт игра\nbtn a, Дальше\nend\n:a\nend\n");
    for (const std::string& bytes : {std::string("pln not a save\r\nend\r\n"), std::string(),
                                     std::string("\r\nPerKill\r\n"), W("# Перkill\r\n")}) {
        q.host.boxes.clear();
        q.host.openAnswers.push_back(Chosen(q.WriteBytes("other.qsv", bytes)));
        e.RestoreGame();
        ASSERT_EQ(q.host.boxes.size(), 1u);
        EXPECT_NE(U(q.host.boxes[0].text).find("не сохранённая игра"), std::string::npos);
        EXPECT_NE(U(q.host.boxes[0].text).find("other.qsv"), std::string::npos);
        EXPECT_EQ(q.Text(), "идёт игра \r\n");
        EXPECT_EQ(q.Var("x"), "1");
        EXPECT_EQ(q.Buttons(), std::vector<std::string>{"Дальше "});
    }
    // Any letter case and blanks around the word are a saved game.
    q.host.boxes.clear();
    q.host.openAnswers.push_back(Chosen(q.WriteBytes("ok.qsv", "  perKILL \r\ny=2\r\nend\r\n")));
    e.RestoreGame();
    EXPECT_TRUE(q.host.boxes.empty());
    EXPECT_EQ(q.Var("y"), "2");
    EXPECT_EQ(q.Var("x"), "<unset>");
}

}  // namespace
}  // namespace tarvik::testing
