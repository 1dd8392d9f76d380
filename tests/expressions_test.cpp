// The expression evaluator: Calc, Vern and Skb, with the rewrites they leave in the caller's text.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "test_host.h"

namespace tarvik::testing {
namespace {

const char kErrorLine[] = "Ошибка выражения\r\n\r\n";

class Evaluator : public ::testing::Test {
protected:
    Evaluator() {
        host.engine = &engine;
        engine.Seed(7);
        engine.KillVariables();
    }

    void Set(const std::string& utf8Assignment) {
        std::string s = W(utf8Assignment);
        engine.Do_Perem(s);
    }
    Value Calc(const std::string& utf8) {
        std::string e = W(utf8);
        return engine.Calc(e);
    }
    std::string CalcText(const std::string& utf8) { return U(Calc(utf8).ToText()); }
    bool Vern(const std::string& utf8) {
        std::string c = W(utf8);
        return engine.Vern(c);
    }
    std::string Printed() const { return U(engine.ScreenText()); }

    TestHost host;
    Engine engine{host};
};

class CalcEval : public Evaluator {};
class VernEval : public Evaluator {};

struct Case {
    const char* expr;
    const char* result;
};

TEST_F(CalcEval, ArithmeticFollowsTheSplittingGrammar) {
    Set("a=5");
    const Case cases[] = {
        {"2+3*4", "14"},   {"2*3+4", "10"},
        {"10-4-3", "3"},   {"8/2/2", "2"},
        {"-5+2", "-3"},    {"2*-3", "-6"},
        {"2/-4", "-0,5"},  {"3--2", "5"},
        {"3---2", "1"},    {"(1+2)*(3+4)", "21"},
        {"2*(0-3)", "-6"}, {"2-(0-3)", "5"},
        {"((2))", "2"},    {"1/3", "0,333333333333333"},
        {"1,5+1", "2,5"},  {" 7 ", "7"},
        {"4;1", "3"},  // ";" reads as a minus
        {"&HFFFF", "-1"},  {"&H80000008", "-2147483640"},
        {"1e3", "1000"},   {"1+2e-3", "-2"},  // the exponent's minus splits the text: (1 + 2e) - 3
        {"1>0", "1"},      {"a+1>2", "5"},    // a + (1>2)
        {"a*2", "10"},
    };
    for (const auto& c : cases) EXPECT_EQ(CalcText(c.expr), c.result) << c.expr;
    EXPECT_EQ(Printed(), "");
}

TEST_F(CalcEval, NumberKindsDecideTheTextForm) {
    engine.GiveItem("3, Sword ");
    struct KindCase {
        const char* expr;
        NumKind kind;
    } cases[] = {
        {"2", NumKind::Double},         {"2+3", NumKind::Double},    {"1=1", NumKind::Int16},
        {"&HFF", NumKind::Int16},       {"&H10000", NumKind::Int32}, {"RND", NumKind::Single},
        {"TIME", NumKind::Single},      {"RND6", NumKind::Double},   {"inv_Sword", NumKind::Int32},
        {"nosuchname", NumKind::Int16},
    };
    for (const auto& c : cases) {
        Value v = Calc(c.expr);
        ASSERT_TRUE(v.IsNumber()) << c.expr;
        EXPECT_EQ(v.kind, c.kind) << c.expr;
    }
    EXPECT_EQ(CalcText("TIME"), "3600,5");
    host.clock = 86399.99;
    EXPECT_EQ(CalcText("TIME"), "86399,99");
}

TEST_F(CalcEval, LeavesTheCallersTextRewritten) {
    const Case cases[] = {
        {" 1,5 ", "1.5"},                // a plain number: trimmed, "," turned into "."
        {"2--3", "2+3"},                 // sign pairs
        {"2*-3", "2*;3"},                // the minus after "*" hidden from the sum step
        {"a;b", "a-b"},                  // ";" is a minus
        {"(1+2)*3", " 3*3 "},            // brackets resolved, with the blanks they leave
        {" x = 1 ", "x = 1"},            // the comparison step trims
        {"x=1 or y=2", " x=1 or y=2 "},  // a split at OR pads
    };
    for (const auto& c : cases) {
        std::string e = W(c.expr);
        engine.Calc(e);
        EXPECT_EQ(U(e), c.result) << c.expr;
    }
}

TEST_F(CalcEval, QuotedTexts) {
    const Case cases[] = {
        {"\"a+b\"", "a+b"},  // splits come after the quote test
        {"\"x=1\"", "x=1"},  // the comparison's provisional result is replaced
        {"\"say \"hi\"\"", "say \"hi\""},
        {"\"\"", ""},
        {"\"a and b\"", "0"},  // the word operator leaves blanks around it and the quotes are not seen
    };
    for (const auto& c : cases) EXPECT_EQ(CalcText(c.expr), c.result) << c.expr;
    EXPECT_TRUE(Calc("\"\"").IsText());
    EXPECT_EQ(Printed(), "");
}

TEST_F(CalcEval, ReportsExpressionErrorsAndGoesOnWithZero) {
    Set("s=\"abc\"");
    Set("t=\"def\"");
    Set("n=\"12\"");
    struct ErrorCase {
        const char* expr;
        const char* result;
        int errors;
    } cases[] = {
        {"1/0", "0", 1},
        {"0/0", "0", 1},
        {"s+1", "0", 1},
        {"s-t", "0", 1},
        {"s*2", "0", 1},
        {"\"", "0", 1},
        {"1e308*10", "0", 1},
        {"1/0+5", "5", 1},  // the inner Calc reports, the outer
                            // one adds to its 0
        {"1/0+2/0", "0", 2},
        {"s+t", "abcdef", 0},
        {"n+1", "13", 0},  // a text that is a number takes part in
                           // a sum
        {"n*2", "24", 0},
        {"1+s", "0", 1},
    };
    for (const auto& c : cases) {
        engine.ClearText();
        EXPECT_EQ(CalcText(c.expr), c.result) << c.expr;
        std::string expected;
        for (int i = 0; i < c.errors; ++i) expected += kErrorLine;
        EXPECT_EQ(Printed(), expected) << c.expr;
    }
}

TEST_F(CalcEval, ReadsVariables) {
    Set("gold=15");
    Set("zero=0");
    Set("name=\"Anna\"");
    Set("empty=\"\"");
    Set("textZero=\"0,0\"");
    Set("digits=\"5\"");
    EXPECT_EQ(CalcText("gold"), "15");
    EXPECT_EQ(CalcText("GOLD"), "15");
    EXPECT_EQ(CalcText("nosuch"), "0");
    EXPECT_EQ(CalcText("zero"), "0");
    EXPECT_EQ(CalcText("name"), "Anna");
    EXPECT_EQ(CalcText("fp_prec"), "2");

    // The empty text stays a text; a text that reads as 0 is the number 0.
    Value empty = Calc("empty");
    EXPECT_TRUE(empty.IsText());
    EXPECT_EQ(empty.str, "");
    Value textZero = Calc("textZero");
    EXPECT_TRUE(textZero.IsNumber());
    EXPECT_EQ(textZero.num, 0);
    EXPECT_TRUE(Calc("digits").IsText());
}

TEST_F(CalcEval, TimeRndAndInventoryNamesAreNotVariables) {
    Set("time=5");
    Set("RND=5");
    Set("rnd6=0");
    Set("rndx=7");
    engine.GiveItem("3, Sword ");
    Set("inv_Axe=5");
    engine.KillItem("Axe ");

    EXPECT_EQ(CalcText("time"), "3600,5");
    for (int i = 0; i < 50; ++i) {
        Value r = Calc("rnd");
        ASSERT_TRUE(r.num >= 0 && r.num < 1);
        Value d = Calc("rnd6");  // the lookup found 0, so the name reads as RND6
        ASSERT_TRUE(d.num >= 1 && d.num <= 6 && d.num == static_cast<int>(d.num)) << d.num;
    }
    EXPECT_EQ(CalcText("rndx"), "7");
    EXPECT_EQ(CalcText("inv_Sword"), "3");
    EXPECT_EQ(CalcText("INV_sword"), "3");
    EXPECT_EQ(CalcText("inv_Axe"), "0");  // the variable holds 5, but the item is gone
    EXPECT_EQ(CalcText("inv_Shield"), "0");
}

TEST_F(CalcEval, RandomNumbers) {
    std::set<int> seen;
    for (int i = 0; i < 600; ++i) {
        Value v = Calc("RND6");
        ASSERT_EQ(v.num, static_cast<int>(v.num));
        ASSERT_GE(v.num, 1);
        ASSERT_LE(v.num, 6);
        seen.insert(static_cast<int>(v.num));
    }
    EXPECT_EQ(seen.size(), 6u);
    std::set<std::string> fractions;
    for (const char* e : {"RND", "RND0", "rnd 0", "RNDx"}) {
        for (int i = 0; i < 200; ++i) {
            std::string t = CalcText(e);
            ASSERT_TRUE(t == "0" || t.rfind("0,", 0) == 0) << e << " gave " << t;
            fractions.insert(t);
        }
    }
    EXPECT_GT(fractions.size(), 700u);
}

TEST_F(VernEval, Conditions) {
    Set("a=1");
    Set("b=2");
    Set("x=\"Apple\"");
    Set("s5=\"5\"");
    engine.GiveItem("1, Sword ");
    engine.GiveItem("4, Gold coin ");
    struct CondCase {
        const char* cond;
        bool result;
    } cases[] = {
        {"a=1 or b=3", true},
        {"a=2 or b=2", true},
        {"a=2 or b=3", false},
        {"a=1 and b=2", true},
        {"a=1 AND b=3", false},
        {"a=1 and b=2 or a=5", true},
        {"a=5 or a=1 and b=3", false},
        {"not a=1", false},
        {"not a=2", true},
        {"not not a=1", true},
        {"b=2 not a=2", true},  // what stands before NOT is ignored
        {"x==\"A*\"", true},
        {"x==\"a?p[a-m]e\"", true},
        {"x==\"B*\"", false},
        {"Sword", true},
        {"sword", true},
        {"2 Sword", false},
        {"3 Gold coin", true},
        {"5 Gold coin", false},
        {"Shield", false},
        {"5 = 5.0", true},
        {"5 = 5,0", true},
        {"\"abc\"=\"ABC\"", true},
        {"\"10\"<\"9\"", true},
        {"10 < 9", false},
        {"s5 = 5", false},  // a text is never equal to a number
        {"s5 = \"5\"", true},
        {"x > 100", true},  // and it is greater than any number
        {"a<>b", true},
        {"a>=1", true},
        {"a=>2", false},
        {"b<=1", false},
        {"b=<2", true},
        {"1", true},
        {"0", false},
        {"0,0", false},
        {"(a=1) and (b=2)", true},
        {"(a+b)*2=6", true},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Vern(c.cond), c.result) << c.cond;
    EXPECT_EQ(Printed(), "");
}

TEST_F(VernEval, LeavesTheCallersTextRewritten) {
    engine.GiveItem("3, Sword ");
    const Case cases[] = {
        {"3 Sword", " Sword "},  // the count that was read is gone
        {"Sword", " Sword "},           {" 1,5 ", " 1.5 "}, {" a = 1 ", "a = 1"},
        {"a=1 or b=1", " a=1 or b=1 "}, {"(1)", " 1 "},
    };
    for (const auto& c : cases) {
        std::string s = W(c.expr);
        engine.Vern(s);
        EXPECT_EQ(U(s), c.result) << c.expr;
    }
}

TEST_F(CalcEval, ErrorsBeforeTheEvaluationPassToTheCaller) {
    engine.GiveItem("3, Sword ");
    for (const char* e : {"(1+2", "2*(3", "1+(2))("}) {
        std::string s = W(e);
        EXPECT_THROW(engine.Calc(s), QuestError) << e;
        s = W(e);
        EXPECT_THROW(engine.Vern(s), QuestError) << e;
    }
    EXPECT_THROW(Vern("40000 Sword"), QuestError);
    EXPECT_FALSE(Vern("32767 Sword"));
    EXPECT_EQ(Printed(), "");
    // What an operand of a sum passes on is an expression error of the enclosing Calc: the condition as a
    // whole is false (AND splits before the count is read), but the right side of "+" reads 40000 as a count.
    EXPECT_EQ(CalcText("1 + 40000 Sword and 1 not 1=1"), "0");
    EXPECT_EQ(Printed(), kErrorLine);
}

TEST_F(CalcEval, PathologicalExpressionsEndWithAnError) {
    // A long chain of operators nests Calc once per operator: it is cut off with one reported error.
    std::string plus = "1";
    for (int i = 0; i < 5000; ++i) plus += "+1";
    std::string e = plus;
    Value v = engine.Calc(e);
    EXPECT_TRUE(v.IsNumber());
    EXPECT_EQ(Printed(), kErrorLine);

    engine.ClearText();
    e = std::string(5000, '+');
    engine.Calc(e);
    EXPECT_EQ(Printed(), kErrorLine);

    // Brackets are resolved one group after the other, and chains of OR/AND/NOT piece after piece, so deep
    // nesting and long conditions still have their plain value.
    engine.ClearText();
    EXPECT_EQ(CalcText(std::string(5000, '(') + "2" + std::string(5000, ')')), "2");
    std::string ors = "1=2";
    for (int i = 0; i < 3000; ++i) ors += " or 1=2";
    EXPECT_FALSE(Vern(ors));
    EXPECT_TRUE(Vern(ors + " or 2=2"));
    std::string nots;
    for (int i = 0; i < 3001; ++i) nots += "not ";
    EXPECT_TRUE(Vern(nots + "1=2"));
    EXPECT_EQ(Printed(), "");

    // A text that brings its own brackets back is refused instead of being resolved forever.
    Set("loop=\"(loop)\"");
    EXPECT_THROW(Calc("(loop)"), QuestError);
}

TEST_F(CalcEval, ExponentialExpressionsAreCutOffOnce) {
    // Every split of a sum re-evaluates the conditions on both sides, so this line would take about 2^40
    // evaluations; it ends with one reported error instead.
    std::string e = "1=1";
    for (int i = 0; i < 40; ++i) e += "*1=1";
    EXPECT_EQ(CalcText(e), "0");
    EXPECT_EQ(Printed(), kErrorLine);
    // A condition that large passes its failure to the caller, as an unmatched bracket does.
    std::string c = "x=" + e;
    EXPECT_THROW(Vern(c), QuestError);
}

TEST(CalcInQuest, AssignmentsPrintErrorsAndKeepGoing) {
    QuestFixture q;
    q.Run("x = 2*(3+4)\ny = 1/0\nz = (1\ns = \"ab\"\nt = \"cd\"\ns += t\nn += 2\nend");
    EXPECT_EQ(q.Var("x"), "14");
    EXPECT_EQ(q.Var("y"), "0");
    EXPECT_EQ(q.Var("z"), "");  // the unmatched bracket passed to the assignment
    EXPECT_EQ(q.Var("s"), "abcd");
    EXPECT_EQ(q.Var("n"), "2");
    EXPECT_EQ(q.Text(), kErrorLine);
}

}  // namespace
}  // namespace tarvik::testing
