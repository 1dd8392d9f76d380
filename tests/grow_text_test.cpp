// Texts grown in place: instr and v=v+"text" store their value without the statement's usual copies. Each
// case is held against what the ordinary route gives: instr against AssignText itself, the concatenations
// against the results that route has always produced.
#include <gtest/gtest.h>

#include <sstream>

#include "test_host.h"

namespace tarvik::testing {
namespace {

// Everything an assignment can change: the variables in order with type and value, the screen, the items,
// the screen parts signalled, the audio calls and how often the front was let in.
std::string Snapshot(QuestFixture& q, int processBudget) {
    std::ostringstream out;
    for (const std::string& name : q.engine->varNames()) {
        const Value* v = q.engine->FindVariable(name);
        out << U(name) << ':' << static_cast<int>(v->type) << ',' << static_cast<int>(v->kind) << ','
            << v->num << ",[" << U(v->str) << "]\n";
    }
    out << "text[" << q.Text() << "]\nitems";
    for (const std::string& item : q.Items()) out << '[' << item << ']';
    out << "\nchanges " << q.host.changes << "\naudio";
    for (const std::string& a : q.host.audio) out << '[' << a << ']';
    out << "\nevents " << processBudget - q.host.processBudget;
    return out.str();
}

TEST(GrowText, InstrStoresWhatAssignTextStores) {
    const std::string setup = "s=\"old\"\nStyle_TextColor=255\ninv+ Меч\n";
    // Quotes, "=" with and without blanks, leading and trailing blanks, no name, no "=", names that act.
    const char* texts[] = {
        "s=plain text",
        "s=a\"quoted\"b",
        "s=\"whole\"",
        "s=x=y=z",
        "s=x = y",
        "s=x= y",
        "s=x =y",
        "s= lead",
        "  s=name after blanks",
        "s =x",
        "s=",
        "s=trail  ",
        "=nameless",
        "no equals",
        "a b=blank in the name",
        "Золото=много",
        "ЗОЛОТО=мало",
        "s=0",
        "s=1,5",
        "inv_Меч=3",
        "Inv_меч=0",
        "Style_TextColor=16711680",
        "Style_DOS_TextColor=14",
        "style_x=1",
        "Image1=pic.png",
        "Music=tune.mid",
        "new=value",
    };
    constexpr int kBudget = 1 << 30;
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        QuestFixture quick;
        quick.host.processBudget = kBudget;
        quick.Run(setup + "instr " + text);

        QuestFixture slow;
        slow.host.processBudget = kBudget;
        slow.Run(setup);
        std::string arg = W(text) + " ";
        try {
            slow.engine->AssignText(arg);
        } catch (const QuestError&) {
        }
        EXPECT_EQ(Snapshot(quick, kBudget), Snapshot(slow, kBudget));
    }
}

// The line's storage goes on to the next statements: what the variable held before must not be read as a
// statement there.
TEST(GrowText, InstrLeavesNoOldValueInTheLine) {
    QuestFixture q;
    q.Run("s=\"End here\"\ninstr s=one\ninstr s=pause 1\ninstr s=quit\npln after #s$");
    EXPECT_EQ(q.Text(), "after quit \r\n");
    EXPECT_EQ(q.Var("s"), "quit");
}

TEST(GrowText, ConcatenationGivesWhatItAlwaysGave) {
    struct Case {
        const char* quest;
        const char* name;
        const char* text;  // the screen after "pln [#name$]"
        bool isText;
    };
    const Case cases[] = {
        {"s=\"ab\"\ns=s+\"cd\"", "s", "[abcd] \r\n", true},
        {"s=\"ab\"\ns = s + \"cd\"", "s", "[abcd] \r\n", true},
        {"s=\"ab\"\nS=s+\"cd\"", "S", "[abcd] \r\n", true},
        {"s=\"ab\"\ns=S+\"cd\"", "s", "[abcd] \r\n", true},
        {"s=\"ab\"\ns=s+\"c d and e\"", "s", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+\"c-d\"", "s", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+\"a*b/c\"", "s", "[aba*b/c] \r\n", true},
        {"s=\"ab\"\ns=s+\"x,y\"", "s", "[abx,y] \r\n", true},
        {"s=\"ab\"\ns=s+\"q\"q\"", "s", "[abq\"q] \r\n", true},
        {"s=\"ab\"\ns=s+\"\"", "s", "[ab] \r\n", true},
        {"s=\"ab\"\ns=s+\" \"", "s", "[ab ] \r\n", true},
        {"s=\"ab\"\ns=s+\"a\"+\"b\"", "s", "[abab] \r\n", true},
        {"s=\"ab\"\ns=s+\"(x)\"", "s", "[ab0] \r\n", true},
        {"s=\"ab\"\ns=s+\";\"", "s", "Ошибка выражения\r\n\r\nОшибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+\"<b>\"", "s",
         "Ошибка выражения\r\n\r\nОшибка выражения\r\n\r\nОшибка выражения\r\n\r\nОшибка "
         "выражения\r\n\r\nОшибка выражения\r\n\r\nОшибка выражения\r\n\r\nОшибка выражения\r\n\r\n[ab<b>] "
         "\r\n",
         true},
        {"s=\"ab\"\ns=s+\"a or b\"", "s", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+\"", "s", "Ошибка выражения\r\n\r\nОшибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+x", "s", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"0\"\ns=s+\"1\"", "s", "[1] \r\n", false},
        {"s=\"0,0\"\ns=s+\"1\"", "s", "[1] \r\n", false},
        {"s=5\ns=s+\"1\"", "s", "[6] \r\n", false},
        {"s=\"\"\ns=s+\"x\"", "s", "[x] \r\n", true},
        {"u=1\nu=u+\"x\"", "u", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\nt=s+\"x\"", "t", "[abx] \r\n", true},
        {"s=\"12\"\ns=s+\"3\"", "s", "[123] \r\n", true},
        {"s=\"ab\"\ns=s+\"cd\"+", "s", "Ошибка выражения\r\n\r\n[0] \r\n", false},
        {"s=\"ab\"\ns=s+\"c=d\"", "s", "Ошибка выражения\r\n\r\n[abc=d] \r\n", true},
        {"s=\"ab\"\ns=s+\"c\"d\"", "s", "[abc\"d] \r\n", true},
        {"x_1=\"ab\"\nx_1=X_1+\"cd\"", "x_1", "[abcd] \r\n", true},
        {"Золото=\"ab\"\nЗолото=золото+\"cd\"", "Золото", "[abcd] \r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quest);
        QuestFixture q;
        q.Run(std::string(c.quest) + "\npln [#" + c.name + "$]\nend");
        EXPECT_EQ(q.Text(), c.text);
        const Value* v = q.engine->FindVariable(W(c.name));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->IsText(), c.isText);
    }
}

// A long text grown round after round keeps every piece, in order.
TEST(GrowText, LongTextsGrowByEveryRound) {
    QuestFixture q;
    q.Run("i=0\na=\"\"\nb=\"\"\n:grow\ninstr a=#a$x#i$,\nb=b+\"y\"\ni=i+1\nif i<500 then goto grow\nend");
    std::string want;
    for (int i = 0; i < 500; ++i) want.append(1, 'x').append(std::to_string(i)).append(1, ',');
    EXPECT_EQ(q.Var("a"), want);
    EXPECT_EQ(q.Var("b"), std::string(500, 'y'));
}

}  // namespace
}  // namespace tarvik::testing
