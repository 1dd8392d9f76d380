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

// The lines themselves are the reader's; here they are what the engine finds and runs.
TEST(Loader, RunsTheLinesTheReaderMakes) {
    QuestFixture q;
    q.Run("pln a\n_bc\nend:next\npln the end: at last");
    EXPECT_EQ(q.engine->LabelLine(W(": at last")), 5);
    EXPECT_EQ(q.Text(), "abc \r\n");
    QuestFixture w;
    w.Run("pln this includes nothing");
    EXPECT_EQ(w.Text(), "this  \r\n");
    QuestFixture l;
    l.engine->OpenQuest(l.WriteBytes("quest.qst", "pln one\npln two\n").string());
    EXPECT_EQ(l.Text(), "one \r\ntwo \r\n");
}

TEST(Loader, IncludesExpandNestedAndKeepIncludedComments) {
    QuestFixture q;
    // An included text does not pass through the quest_path rewrite, so B names C by its full path; only the
    // quest's own comments go.
    auto c = q.WriteFile("c.inc", "pln from c");
    q.WriteFile("b.inc", "pln from b /* kept */\ninclude " + c.string());
    q.Run("pln before include quest_pathb.inc\npln /* gone */after");
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
