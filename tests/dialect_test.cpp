// The later dialect: how a quest is recognised, and each construct played in DialectMode and with the switch
// off.
#include <gtest/gtest.h>

#include "game/dialect.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(Dialect, DetectedByEachMarkerAndKeptOffByTheLanguagesOwnHtmlView) {
    struct Case {
        const char* quest;
        bool on;
    } cases[] = {
        {"pln Go to [[the hall|hall]]\nend\n:hall", true},
        {"pln [[ hall ]]\n:Hall", true},
        {"pln [[the hall|nowhere]]\n:hall", false},  // a link to no label is text
        {"pln <CENTER>x</CENTER>", true},
        {"pln <b>x</B >", false},
        {"pln x </form>", true},
        {"pln a </blink> <1>", false},
        {"image pic.png", true},
        {"if a=1 then music song.mid", true},
        {"pln a & forget_procs", true},
        {"image=pic.png\nmusic = 1", false},
        {"  // cls & goto start", true},
        {"pln 25//08/17", false},
        {"btn seen=0 & cls & goto canteen, Back", true},
        {"btn canteen, Back & pln x", false},
        {"if vedro!=1 then btn vedro, Take", true},
        {"if a=1 then pln a!=b", false},
        {"Style_TextColor=\"#ff0080\"", true},
        {"style_backcolor = \"#FFF\"", true},
        {"Style_TextColor=\"#ff00\"", false},
        {"Style_TextColor=255", false},
        {"pln <1> <= ; comment [[x]]", false},
        // The language's own HTML view: its tags are meant for it.
        {"pln </b>\npln <HTML>", false},
        {"//\nhtml page.htm", false},
    };
    for (const auto& c : cases) {
        ProgramStore lines;
        lines.Assign(std::string("\n") + c.quest + "\n");
        EXPECT_EQ(DetectDialect(lines), c.on) << c.quest;
    }
}

// What a player sees of a quest: text, buttons, the two colours and what played on the music channel.
std::string Seen(QuestFixture& q) {
    std::string seen = q.Text();
    for (const auto& b : q.Buttons()) seen += "[" + b + "]";
    seen += " colours " + q.Var("Style_TextColor") + " " + q.Var("Style_BackColor");
    for (const auto& a : q.host.audio) seen += " {" + a + "}";
    return seen;
}

TEST(Dialect, EachConstructPlaysInDialectModeAndTheLanguageIsUnchangedWithTheSwitchOff) {
    struct Case {
        const char* quest;
        int choose;          // a button chosen after the first run, or -1
        const char* onlyOn;  // seen in DialectMode only ("" for nothing)
        const char* onlyOff;
    } cases[] = {
        {"x=1\nif x!=2 then pln differs\nif x!=1 then pln same", -1, "differs", ""},
        {"   // cls & pln hidden\npln shown", -1, "", "hidden"},
        {"pln a;b ;c\np <i style=\"x;\">;", -1, "a;b", ""},
        {"btn n=1 & pln ran & goto next, Go, on\nend\n:next\npln arrived #n$", 0, "arrived 1", ""},
        // Without a goto the run ends with the button's commands.
        {"btn n=2 & pln ran, Stay\nend\npln after", 0, "ran \r\n colours", "ran, Stay"},
        {"proc p\npln back\nend\n:p\npln inside & forget_procs", -1, "", "back"},
        {"forget_procs\npln level one", -1, "", ""},
        {"Style_TextColor=\"#0080ff\"\nStyle_BackColor=\"#F0a\"", -1, "colours 16744448 11141375",
         "colours #0080ff #F0a"},
        {"music song.mid\nmusic stop\nmusic=0", -1, "{music song.mid} {stop music} {stop music}", ""},
    };
    for (const auto& c : cases) {
        std::string seen[2];
        for (int on = 0; on < 2; ++on) {
            QuestFixture q;
            q.engine->SetDialectSwitch(on ? DialectSwitch::On : DialectSwitch::Off);
            q.Run(c.quest);
            EXPECT_EQ(q.engine->dialect(), on == 1);
            if (c.choose >= 0 && !q.Buttons().empty()) q.engine->ChooseButton(c.choose);
            seen[on] = Seen(q);
        }
        if (*c.onlyOn) {
            EXPECT_NE(seen[1].find(c.onlyOn), std::string::npos) << c.quest << "\n" << seen[1];
            EXPECT_EQ(seen[0].find(c.onlyOn), std::string::npos) << c.quest << "\n" << seen[0];
        }
        if (*c.onlyOff) {
            EXPECT_NE(seen[0].find(c.onlyOff), std::string::npos) << c.quest << "\n" << seen[0];
            EXPECT_EQ(seen[1].find(c.onlyOff), std::string::npos) << c.quest << "\n" << seen[1];
        }
        if (!*c.onlyOn && !*c.onlyOff) {
            EXPECT_EQ(seen[0], seen[1]) << c.quest;
        }
    }
}

TEST(Dialect, ImageNamesItsCaptionAfterABarInEveryMode) {
    for (auto choice : {DialectSwitch::On, DialectSwitch::Off}) {
        QuestFixture q;
        q.WriteBytes("a.bmp", "x");
        q.engine->SetDialectSwitch(choice);
        q.Run("image_caption = \"Другое\"\nImage = \"a.bmp|Зал, вид\"\nend");
        EXPECT_EQ(q.engine->pictures().image, "a.bmp");
        ASSERT_FALSE(q.host.look.empty());
        EXPECT_EQ(q.host.look.back(), "window shown Зал, вид");
    }
}

TEST(Dialect, AButtonWithStatementsIsSavedAndRestoredWhole) {
    QuestFixture q;
    const auto file = q.dir / "s.qsv";
    DialogResult chosen;
    chosen.state = DialogResult::State::Accepted;
    chosen.text = file.string();
    q.host.saveAnswers.push_back(chosen);
    q.engine->SetDialectSwitch(DialectSwitch::On);
    Engine& e = q.Run("btn n=5 & goto next, Дальше, вперёд\nsave\nend\n:next\npln next #n$\nend");
    e.NewGame();
    q.host.openAnswers.push_back(chosen);
    e.RestoreGame();
    ASSERT_EQ(q.Buttons(), std::vector<std::string>{"Дальше, вперёд "});
    e.ChooseButton(0);
    EXPECT_EQ(q.Text(), "next 5 \r\n");
}

TEST(Dialect, TheCliSwitchOverridesTheMarkersAndTheDumpTellsTheMode) {
    QuestFixture q;
    const auto quest = q.WriteFile("d.qst", "pln <b>x</b>\nend");
    for (const auto& [choice, expected] :
         {std::pair{"auto", "\"dialect\":true"}, {"off", "\"dialect\":false"}}) {
        const CliResult r = RunCli({"play", quest.string(), "--dump", "--dialect", choice}, q.dir);
        EXPECT_NE(r.out.find(expected), std::string::npos) << choice << r.out;
    }
    EXPECT_NE(RunCli({"play", quest.string(), "--dialect", "maybe"}, q.dir).exitCode, 0);
}

}  // namespace
}  // namespace tarvik::testing
