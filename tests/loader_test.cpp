// Loading quest files into the program store.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

std::vector<std::string> Lines(const Engine& e) {
    std::vector<std::string> r;
    for (const std::string& l : ProgramLines(e)) r.push_back(U(l));
    return r;
}

TEST(Loader, FramesTheTextAndStripsLeadingBlanks) {
    QuestFixture q;
    q.Run("   :Start\n\t:tab\n  pln a");
    auto lines = Lines(*q.engine);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], ":Start");
    EXPECT_EQ(lines[2], "\t:tab");  // a tab stays, so this is no label
    EXPECT_EQ(lines[3], "pln a");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(q.engine->LabelLine(W(":start")), 1);
    EXPECT_EQ(q.engine->LabelLine(W(":tab")), -1);
}

TEST(Loader, FirstOfRepeatedLabelsWinsAndAllAreListed) {
    QuestFixture q;
    q.Run(":Start   \nend\n:start\nend");
    EXPECT_EQ(q.engine->LabelLine(W(":START")), 1);
    EXPECT_EQ(U(q.engine->labelList()), ":Start\r\n:start\r\n");
}

TEST(Loader, JoinsContinuationLinesAndSplitsEndColon) {
    QuestFixture q;
    q.Run("pln a\n_bc\nend:next\npln the end: at last");
    auto lines = Lines(*q.engine);
    EXPECT_EQ(lines[1], "pln abc");
    EXPECT_EQ(lines[2], "end");
    EXPECT_EQ(lines[3], ":next");
    EXPECT_EQ(lines[4], "pln the end");
    EXPECT_EQ(lines[5], ": at last");
    EXPECT_EQ(q.engine->LabelLine(W(": at last")), 5);
    EXPECT_EQ(q.Text(), "abc \r\n");
}

TEST(Loader, CommentsSpanLinesAndDoNotNest) {
    QuestFixture q;
    q.Run("pln a/* one\ntwo */\npln c\npln x /* a /* b */ y */ z");
    auto lines = Lines(*q.engine);
    EXPECT_EQ(lines[1], "pln a");
    EXPECT_EQ(lines[2], "pln c");
    EXPECT_EQ(lines[3], "pln x  y */ z");
}

TEST(Loader, CommentRemovalHandlesJoinsAndUnclosedComments) {
    QuestFixture q;
    // The deletion joins "/" and "*" into a new opener, which a search from the start would find next.
    q.Run("p a//**/*b*/c\np /* never closed\np rest");
    auto lines = Lines(*q.engine);
    EXPECT_EQ(lines[1], "p ac");
    EXPECT_EQ(lines[2], "p /* never closed");
    EXPECT_EQ(lines[3], "p rest");
}

TEST(Loader, CommentCloserMustStartTwoCharactersAfterOpener) {
    QuestFixture q;
    q.Run("p a/*/b*/c");
    EXPECT_EQ(Lines(*q.engine)[1], "p ac");
}

TEST(Loader, IncludesExpandNestedAndKeepIncludedComments) {
    QuestFixture q;
    // An included text does not pass through the quest_path rewrite, so B names C by its full path.
    auto c = q.WriteFile("c.inc", "pln from c");
    q.WriteFile("b.inc", "pln from b /* kept */\ninclude " + c.string());
    q.Run("pln before include quest_pathb.inc\npln after");
    auto lines = Lines(*q.engine);
    std::vector<std::string> expected = {
        "", "pln before ", "pln from b /* kept */", "", "pln from c", "", "", "pln after", ""};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(q.Text(), "before  \r\nfrom b /* kept */ \r\nfrom c \r\nafter \r\n");
}

TEST(Loader, IncludeNamesMayBeQuotedAndUseBackslashesInAnyCase) {
    QuestFixture q;
    q.WriteFile("Rooms/Hall.INC", "pln hall");
    q.Run("include \"quest_pathrooms\\hall.inc\"");
    EXPECT_EQ(q.Text(), "hall \r\n");
}

TEST(Loader, WordIncludeInsideTextIsADirective) {
    QuestFixture q;
    q.Run("pln this includes nothing");
    auto lines = Lines(*q.engine);
    EXPECT_EQ(lines[1], "pln this ");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(q.Text(), "this  \r\n");
}

TEST(Loader, SelfIncludeStopsAtTheDepthLimit) {
    QuestFixture q;
    q.WriteFile("self.inc", "p x\ninclude " + (q.dir / "self.inc").string());
    q.Run("include quest_pathself.inc\npln !");
    std::string text = q.Text();
    EXPECT_EQ(std::count(text.begin(), text.end(), 'x'), Limits::kMaxIncludeDepth);
    EXPECT_NE(text.find("!"), std::string::npos);
}

TEST(Loader, MutualIncludesWithFanOutStayBounded) {
    QuestFixture q;
    std::string a = (q.dir / "a.inc").string(), b = (q.dir / "b.inc").string();
    q.WriteFile("a.inc", "include " + b + "\ninclude " + b);
    q.WriteFile("b.inc", "include " + a + "\ninclude " + a);
    q.Run("include quest_patha.inc\npln done");
    EXPECT_EQ(q.Text(), "done \r\n");
}

TEST(Loader, DosTextIsDetectedByLetterCount) {
    // Code 174 is "о" in code page 866, code 238 the same letter in 1251.
    auto quest = [](int dos, int ansi) {
        std::string s = "pln ";
        s.append(dos, '\xAE');
        s.append(ansi, '\xEE');
        return s + "\r\n";
    };
    {
        QuestFixture q;
        q.WriteBytes("quest.qst", quest(10, 10));
        q.engine->OpenQuest((q.dir / "quest.qst").string());
        EXPECT_EQ(q.engine->programLines()[1], "pln " + std::string(10, '\xAE') + std::string(10, '\xEE'));
    }
    {
        QuestFixture q;
        q.WriteBytes("quest.qst", quest(11, 10));
        q.engine->OpenQuest((q.dir / "quest.qst").string());
        // 866 "о" becomes 1251 "о"; 1251 "о" (0xEE) is 866 "ю", which becomes 0xFE.
        EXPECT_EQ(q.engine->programLines()[1], "pln " + std::string(11, '\xEE') + std::string(10, '\xFE'));
    }
}

TEST(Loader, LinuxLineEndsAreAccepted) {
    QuestFixture q;
    q.WriteBytes("quest.qst", "pln one\npln two\n");
    q.engine->OpenQuest((q.dir / "quest.qst").string());
    EXPECT_EQ(q.Text(), "one \r\ntwo \r\n");
}

TEST(Loader, MissingAndEmptyFilesGiveAnEmptyProgram) {
    QuestFixture q;
    q.engine->OpenQuest((q.dir / "nope.qst").string());
    EXPECT_EQ(ProgramLines(*q.engine), std::vector<std::string>(3));
    EXPECT_EQ(q.Text(), "");
    q.WriteBytes("empty.qst", "");
    q.engine->OpenQuest((q.dir / "empty.qst").string());
    EXPECT_EQ(ProgramLines(*q.engine), std::vector<std::string>(3));
}

TEST(Loader, QuestPathAndFolder) {
    QuestFixture q;
    q.Run("pln quest_path");
    std::string folder = (q.dir / "").string();
    EXPECT_EQ(U(q.engine->questFolder()), folder);
    EXPECT_EQ(q.Text(), folder + " \r\n");
}

TEST(Loader, NewGameReloadsFromDisk) {
    QuestFixture q;
    q.Run("pln first\nx=1");
    q.WriteFile("quest.qst", "pln second");
    q.engine->NewGame();
    EXPECT_EQ(q.Text(), "second \r\n");
    EXPECT_EQ(q.Var("x"), "<unset>");
}

}  // namespace
}  // namespace tarvik::testing
