// Substitution of #...$ and ##...$ forms and the built-in functions.
#include <gtest/gtest.h>

#include <string>

#include "test_host.h"

namespace tarvik::testing {
namespace {

const char kErrorLine[] = "Ошибка выражения\r\n\r\n";

class SubstLine : public ::testing::Test {
protected:
    SubstLine() {
        host.engine = &engine;
        engine.KillVariables();
        for (const char* a : {"gold=15", "name=\"Anna\"", "i=2", "item2=\"Sword\""}) Set(a);
    }

    void Set(const std::string& utf8Assignment) {
        std::string s = W(utf8Assignment);
        engine.Do_Perem(s);
    }
    // Substitutes a line and checks that the caller's text holds the same result as the returned one.
    std::string Subst(const std::string& utf8) {
        std::string s = W(utf8);
        std::string r = engine.Subst(s);
        EXPECT_EQ(r, s) << utf8;
        return U(r);
    }
    std::string Printed() const { return U(engine.ScreenText()); }

    TestHost host;
    Engine engine{host};
};

struct Case {
    const char* line;
    const char* result;
};

TEST_F(SubstLine, ValuesAndCharacterCodes) {
    const Case cases[] = {
        {"p You have #gold$ coins", "p You have 15 coins"},
        {"#name$", "Anna"},
        {"#gold+1$", "16"},
        {"#nosuch$", "0"},
        {"#item#i$$", "Sword"},  // the rightmost marker first: indexed variables
        {"#gold$$", "15$"},
        {"a # b$ c", "a 0 c"},
        {"price #5", "price #5"},  // no "$": stays
        {"#gold$ and #5", "15 and #5"},
        {"#5 and #gold$", "#5 and 15"},
        {"no markers $ here", "no markers $ here"},
        {"##65$", "A"},
        {"##13$##10$", "\r\n"},
        {"##300$", "-"},  // 300 - 255
        {"##510$", "я"},
        {"##gold+50$", "A"},
        {"##64.5$", "@"},  // halves to even
        {"##65$ ##66", "A ##66"},
        {"##66 ##65$", "##66 A"},
        {"##35$gold$", "15"},     // an inserted "#" is scanned again
        {"abs[#gold$-20]", "5"},  // substitution comes before the functions
    };
    for (const auto& c : cases) EXPECT_EQ(Subst(c.line), c.result) << c.line;
    EXPECT_EQ(Printed(), "");
}

TEST_F(SubstLine, BuiltInFunctions) {
    const Case cases[] = {
        {"abs[3-5]", "2"},
        {"len[name]", "4"},
        {"len[gold*100]", "4"},
        {"int[7/2]", "3"},
        {"int[0-2.5]", "-3"},
        {"Round[1/3]", "0,33"},
        {"Round[2/3]", "0,67"},
        {"x abs[0-1] y abs[0-2] z", "x 1 y 2 z"},  // left to right
        {"ABS[1] LEN[name] Int[1.5]", "1 4 1"},
        {"Atn[0] Cos[0] Sin[0] Tan[0]", "0 1 0 0"},
        {"sqr[16]", "4"},
        {"sqr[int[17]]", "4,12310562561766"},  // int comes before sqr
        {"int[sqr[16]]", "0]"},                // the first "]" closes int[ early
        {"[not a call]", "[not a call]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Subst(c.line), c.result) << c.line;

    Set("fp_prec=0");
    EXPECT_EQ(Subst("Round[2.5] Round[3.5] Round[0-2.5]"), "2 4 -2");
    Set("fp_prec=3");
    EXPECT_EQ(Subst("Round[2/3]"), "0,667");
}

TEST_F(SubstLine, ErrorsPassToTheCaller) {
    for (const char* line :
         {"##70000$", "##0-1$", "##name$", "abs[1", "len[name", "] abs[1]", "abs[name]", "sqr[0-4]",
          "Cos[name]", "Cos[0] Atn[0]"}) {  // Atn comes first, and the first "]" stands before it
        std::string s = W(line);
        EXPECT_THROW(engine.Subst(s), QuestError) << line;
    }
    Set("fp_prec=0-1");
    std::string s = "Round[1]";
    EXPECT_THROW(engine.Subst(s), QuestError);
    EXPECT_EQ(Printed(), "");
}

TEST_F(SubstLine, ExpressionErrorInsideAFormInsertsZero) {
    EXPECT_EQ(Subst("a #1/0$ b"), "a 0 b");
    EXPECT_EQ(Printed(), kErrorLine);
}

TEST_F(SubstLine, ValuesThatReproduceTheirFormStop) {
    Set("x=\"#x$\"");
    EXPECT_EQ(Subst("[#x$]"), "[#x$]");

    Set("y=\"#y$#y$\"");
    std::string grown = Subst("#y$");
    EXPECT_LT(grown.size(), 100000u);
    EXPECT_NE(grown.find("#y$"), std::string::npos);

    // A value big enough to pass the line limit in a few rounds stops there.
    std::string big = "big=\"" + std::string(6u << 20, 'a') + "#big$\"";
    engine.Do_Perem(big);
    std::string line = "#big$";
    engine.Subst(line);
    EXPECT_GT(line.size(), Limits::kMaxLineLength);
    EXPECT_LT(line.size(), Limits::kMaxLineLength + (7u << 20));
}

TEST(SubstInQuest, LinesAreSubstitutedBeforeTheyRun) {
    QuestFixture q;
    q.Run(
        "gold = 15\nname = \"Anna\"\ni = 2\nitem2 = \"Sword\"\nv = \"gold\"\n"
        "p You have #gold$ coins, #%name$ has #item#i$$. abs[3-5]#/$##65$#$len[name]\npln\n"
        "if ##35$v$=15 then pln yes\nend");
    EXPECT_EQ(q.Text(), "You have 15 coins, Anna has Sword. 2\r\nA 4\r\nyes \r\n");
}

}  // namespace
}  // namespace tarvik::testing
