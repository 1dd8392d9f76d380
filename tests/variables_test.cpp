// The variable store, assignments, game reset and the text runs they colour.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

std::vector<std::string> Names(const Engine& e) {
    std::vector<std::string> r;
    for (auto& n : e.varNames()) r.push_back(U(n));
    return r;
}

TEST(Variables, PredefinedAfterLoadInOrder) {
    QuestFixture q;
    q.Run("");
    std::vector<std::string> expected = {"Style_TextColor", "Style_BackColor", "zot_type",    "fp_prec",
                                         "zotNone",         "zotError",        "zotQuestion", "zotWarning",
                                         "zotInfo",         "ZotOk",           "ZotOkCan",    "ZotARI",
                                         "ZotYNC",          "ZotYN",           "ZotRC"};
    EXPECT_EQ(Names(*q.engine), expected);
    EXPECT_EQ(q.Var("Style_TextColor"), "-2147483640");
    EXPECT_EQ(q.Var("Style_BackColor"), "-2147483624");
    EXPECT_EQ(q.Var("fp_prec"), "2");
    EXPECT_EQ(q.Var("zotQuestion"), "32");
}

TEST(Variables, DosModeColoursAfterReset) {
    QuestFixture q;
    q.engine->SetColourMode(ColourMode::Dos);
    q.Run("");
    EXPECT_EQ(q.Var("Style_TextColor"), "12632256");
    EXPECT_EQ(q.Var("Style_BackColor"), "0");
}

TEST(Variables, SwitchingTheColourModeRecoloursOnlyTextInTheModesOwnColour) {
    QuestFixture q;
    // The quest's own silver equals the DOS mode's colour, yet stays when the mode goes back.
    q.Run(
        "pln plain\nStyle_TextColor=255\npln red\nStyle_TextColor=12632256\npln silver\n"
        "Style_TextColor=-2147483640\npln again\nend\n");
    auto colours = [&] {
        std::vector<int32_t> r;
        for (const TextRun& run : q.engine->textRuns()) r.push_back(run.color);
        return r;
    };
    const int32_t tarvik = static_cast<int32_t>(0x80000008u), dos = 0xC0C0C0;
    ASSERT_EQ(colours(), (std::vector<int32_t>{tarvik, 255, dos, tarvik}));
    q.engine->SwitchColourMode(ColourMode::Dos);
    EXPECT_EQ(colours(), (std::vector<int32_t>{dos, 255, dos, dos}));
    EXPECT_EQ(q.Var("Style_TextColor"), "12632256");
    q.engine->SwitchColourMode(ColourMode::Normal);
    EXPECT_EQ(colours(), (std::vector<int32_t>{tarvik, 255, dos, tarvik}));
    EXPECT_EQ(q.Text(), "plain \r\nred \r\nsilver \r\nagain \r\n");
}

TEST(Variables, NamesIgnoreCaseAndKeepTheFirstSpelling) {
    QuestFixture q;
    q.Run("a = 5\nA = 6\nЗолото=1\nзолото+=2");
    EXPECT_EQ(q.Var("a"), "6");
    EXPECT_EQ(q.Var("ЗОЛОТО"), "3");
    auto names = Names(*q.engine);
    EXPECT_EQ(std::count(names.begin(), names.end(), "a"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "A"), 0);
    EXPECT_EQ(names.back(), "Золото");
}

TEST(Variables, TextAssignments) {
    QuestFixture q;
    q.Run("s=\"Hello = world\"\ne=\"\"\nu=\"open\nn += 2\nx/=2\nx /= 3\ninstr t = hello\ninstr w=a = b");
    EXPECT_EQ(q.Var("s"), "Hello=world");
    const Value* e = q.engine->FindVariable("e");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->IsText());
    EXPECT_EQ(e->str, "");
    EXPECT_EQ(q.Var("u"), "0");
    EXPECT_EQ(q.Var("n"), "2");
    EXPECT_EQ(q.Var("x/"), "2");
    EXPECT_EQ(q.Var("x /"), "3");
    EXPECT_EQ(q.Var("t"), " hello");
    EXPECT_EQ(q.Var("w"), "a=b");
}

TEST(Variables, OperatorAssignments) {
    QuestFixture q;
    q.Run("a=10\na-=3\na*=2\ns=\"ab\"\ns+=\"cd\"\nc=\"x\"\nd=c+c\nc+=c");
    EXPECT_EQ(q.Var("a"), "14");
    EXPECT_EQ(q.Var("s"), "ab");
    EXPECT_EQ(q.Var("s+"), "cd");  // a quoted text wins over the operator form
    EXPECT_EQ(q.Var("d"), "xx");
    EXPECT_EQ(q.Var("c"), "xx");
}

TEST(Variables, FailedEvaluationStoresTheEmptyValue) {
    QuestFixture q;
    q.Run("x=(1+2\npln [#x$]\n=5");
    const Value* x = q.engine->FindVariable("x");
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->IsEmpty());
    EXPECT_EQ(q.Text(), "[0] \r\n");
    EXPECT_EQ(q.engine->FindVariable(""), nullptr);
}

TEST(Variables, DosTextColourAndStyleFlag) {
    QuestFixture q;
    q.Run("Style_DOS_TextColor = 14\np a\nStyle_DOS_TextColor = 300\np b\nend");
    EXPECT_EQ(q.Var("Style_TextColor"), "300");
    ASSERT_EQ(q.engine->textRuns().size(), 2u);
    EXPECT_EQ(q.engine->textRuns()[0].color, 65535);
    EXPECT_EQ(q.engine->textRuns()[1].color, 300);
    EXPECT_TRUE(q.host.changes & kScreenStyles);
}

TEST(Variables, PerkillKeepsColoursAndForgetsTheRest) {
    QuestFixture q;
    q.Run("Style_TextColor=255\ngold=5\nfp_prec=4\nperkill");
    EXPECT_EQ(q.Var("Style_TextColor"), "255");
    EXPECT_EQ(q.Var("gold"), "<unset>");
    EXPECT_EQ(q.Var("fp_prec"), "2");
    EXPECT_EQ(q.engine->varNames().size(), 15u);
}

TEST(Variables, PerkillSurvivesANonNumericColour) {
    QuestFixture q;
    q.Run("Style_TextColor=\"red\"\ngold=5\nperkill");
    EXPECT_EQ(q.Var("gold"), "<unset>");
    EXPECT_EQ(q.Var("Style_TextColor"), "0");
}

TEST(Variables, KeyPressReachesOnlyAWaitingAnykey) {
    QuestFixture q;
    q.Run("k=1");
    q.engine->PressKey(97);
    EXPECT_EQ(q.Var("k"), "1");
}

TEST(TextOutput, PrintsAppendRunsInTheCurrentColour) {
    QuestFixture q;
    q.Run("p Hello\np  world\npln\nStyle_TextColor=255\np red\nStyle_TextColor=255\np  too\nend");
    EXPECT_EQ(q.Text(), "Hello world\r\nred too");
    const auto& runs = q.engine->textRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].color, -2147483640);
    EXPECT_EQ(U(runs[1].text), "red too");
    EXPECT_EQ(runs[1].color, 255);
    EXPECT_TRUE(q.host.changes & kScreenPageTop);
}

TEST(TextOutput, BarePrintAppendsNothing) {
    QuestFixture q;
    q.Run("p\nprint\npln\nprintln");
    EXPECT_EQ(q.Text(), "\r\n\r\n");
}

TEST(TextOutput, ExpressionErrorsPrintWithAnEmptyLine) {
    QuestFixture q;
    q.Run("x=1/0\npln after");
    EXPECT_EQ(q.Text(), "Ошибка выражения\r\n\r\nafter \r\n");
    EXPECT_EQ(q.Var("x"), "0");
}

TEST(Reset, NewGameDropsChainsHtmlAndVariables) {
    QuestFixture q;
    q.Run("gold=5\nend & pln stale");
    q.WriteFile("quest.qst", "pln fresh\n<html>");
    q.engine->NewGame();
    EXPECT_EQ(q.Text(), "fresh \r\n");
    EXPECT_EQ(q.Var("gold"), "<unset>");
    EXPECT_EQ(q.engine->htmlBuffer(), "<html>");
    q.WriteFile("quest.qst", "pln again");
    q.engine->NewGame();
    EXPECT_EQ(q.Text(), "again \r\n");
    EXPECT_TRUE(q.engine->htmlBuffer().empty());
    EXPECT_FALSE(q.engine->htmlVisible());
}

}  // namespace
}  // namespace tarvik::testing
