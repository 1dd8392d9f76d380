// The later dialect: how a quest is recognised, and each construct played in DialectMode and with the switch
// off.
#include <gtest/gtest.h>

#include <span>

#include "game/dialect.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(Dialect, DetectedByEachMarkerAndKeptOffByTheLanguagesOwnHtmlView) {
    const char* on[] = {"pln <CENTER>x</CENTER>",  // each marker alone
                        "pln Go to [[the hall|hall]]\nend\n:hall", "pln [[ hall ]]\n:Hall", "pln x </form>",
                        // statements the language does not have
                        "image pic.png", "if a=1 then music song.mid", "pln a & forget_procs",
                        "  // cls & goto start", "btn seen=0 & cls & goto canteen, Back",
                        "if vedro!=1 then btn vedro, Take", "Style_TextColor=\"#ff0080\"",
                        "style_backcolor = \"#FFF\""};
    const char* off[] = {"pln [[the hall|nowhere]]\n:hall",  // a link to no label is text
                         "pln <b>x</B >", "pln a </blink> <1>", "image=pic.png\nmusic = 1", "pln 25//08/17",
                         "btn canteen, Back & pln x", "if a=1 then pln a!=b", "Style_TextColor=\"#ff00\"",
                         "Style_TextColor=255", "pln <1> <= ; comment [[x]]",
                         // The language's own HTML view: its tags are meant for it.
                         "pln </b>\npln <HTML>", "//\nhtml page.htm"};
    for (bool expected : {true, false}) {
        for (const char* quest : expected ? std::span<const char*>(on) : std::span<const char*>(off)) {
            ProgramStore lines;
            lines.Assign(std::string("\n") + quest + "\n");
            EXPECT_EQ(DetectDialect(lines), expected) << quest;
        }
    }
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
            // What the player meets: text, buttons, the two colours and the music channel.
            seen[on] = q.Text() + " colours " + q.Var("Style_TextColor") + " " + q.Var("Style_BackColor");
            for (const auto& b : q.Buttons()) seen[on] += "[" + b + "]";
            for (const auto& a : q.host.audio) seen[on] += " {" + a + "}";
        }
        for (int k = 0; k < 2; ++k) {  // what only DialectMode shows, then what only the language shows
            const char* only = k == 0 ? c.onlyOn : c.onlyOff;
            if (*only) {
                EXPECT_NE(seen[1 - k].find(only), std::string::npos) << c.quest << "\n" << seen[1 - k];
                EXPECT_EQ(seen[k].find(only), std::string::npos) << c.quest << "\n" << seen[k];
            }
        }
        EXPECT_TRUE(*c.onlyOn || *c.onlyOff || seen[0] == seen[1]) << c.quest;
    }
}

TEST(Dialect, ImageNamesItsCaptionAfterABarInEveryMode) {
    for (auto choice : {DialectSwitch::On, DialectSwitch::Off}) {
        QuestFixture q;
        q.WriteBytes("a.bmp", "x");
        q.engine->SetDialectSwitch(choice);
        q.Run("image_caption = \"Другое\"\nImage = \"a.bmp|Зал, вид\"\nend");
        EXPECT_EQ(q.engine->pictures().image, "a.bmp");
        EXPECT_EQ(q.host.look.empty() ? "" : q.host.look.back(), "window shown Зал, вид");
    }
}

TEST(Dialect, AButtonWithStatementsIsSavedAndRestoredWhole) {
    QuestFixture q;
    const DialogResult chosen{DialogResult::State::Accepted, (q.dir / "s.qsv").string()};
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
