// The run loop, the executor's keyword table, goto and proc.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

void Choose(QuestFixture& q, int index) {
    q.engine->ChooseButton(index);
}

TEST(RunLoop, ChainsRunPieceByPieceAndDoubledAmpersandIsLiteral) {
    QuestFixture q;
    q.Run("pln a & pln b & pln c\npln a&&b\npln a && b");
    EXPECT_EQ(q.Text(), "a \r\nb \r\nc \r\na&b \r\na& b \r\n");
}

TEST(RunLoop, IfThenElseDecidesWholeChains) {
    struct Case {
        const char* quest;
        const char* text;
    } cases[] = {
        // The THEN part keeps the blank before ELSE.
        {"x=1\nif x=1 then pln yes & pln more else pln no", "yes \r\nmore  \r\n"},
        {"x=2\nif x=1 then pln yes & pln more else pln no", "no \r\n"},
        {"x=2\npln a & if x=1 then pln b & pln c", "a \r\nc \r\n"},
        {"x=1\npln a & if x=1 then pln b & pln c", "a \r\nb \r\nc \r\n"},
        {"a=1\nb=2\nif a=1 then if b=1 then pln x else pln y", "y \r\n"},
        {"a=1\nb=1\nif a=1 then if b=1 then pln x else pln y", "x  \r\n"},
        {"a=2\nb=2\nif a=1 then if b=1 then pln x else pln y", ""},
        {"IF 1=1 THEN PLN upper", "upper \r\n"},
        {"x=3\nif x>2 then pln big else pln small & pln after", "big  \r\n"},
        {"x=1\npln a &if x=2 then pln b & pln c",
         "a \r\n"},  // no blank: the if governs the rest of the chain
    };
    for (const auto& c : cases) {
        QuestFixture q;
        q.Run(c.quest);
        EXPECT_EQ(q.Text(), c.text) << c.quest;
    }
}

TEST(RunLoop, CommentsEscapesAndBlankLines) {
    QuestFixture q;
    q.Run("pln text ; comment\n; only a comment\n\np a#$b\npln\np a#/$b\npln\np a##$b\npln\npln #%x$");
    // The blank before ";" stays, and the executor adds its own.
    EXPECT_EQ(q.Text(), "text  \r\na b\r\na\r\nb\r\na b\r\n0 \r\n");
}

TEST(RunLoop, HtmlBlocksAreCollectedNotExecuted) {
    QuestFixture q;
    q.Run("x=5\npln before\n<html><b>\npln #x$\n</html>\npln after");
    EXPECT_EQ(q.Text(), "before \r\nafter \r\n");
    EXPECT_EQ(U(q.engine->htmlBuffer()), "<html><b>pln 5</html>");
}

TEST(RunLoop, EndStopsAndLeavesTheRestOfTheChainPending) {
    QuestFixture q;
    q.Run("btn room, Go\nend & pln later\n:room\npln room");
    EXPECT_EQ(q.Buttons(), std::vector<std::string>{"Go "});
    Choose(q, 0);
    EXPECT_EQ(q.Text(), "later \r\nroom \r\n");
}

TEST(RunLoop, RunningOffTheEndStops) {
    QuestFixture q;
    q.Run("pln one\n:next\npln two");
    EXPECT_EQ(q.Text(), "one \r\ntwo \r\n");
    EXPECT_EQ(q.Var("count_next"), "1");
}

TEST(RunLoop, UndecidableLinesAreSkippedQuietly) {
    QuestFixture q;
    // An unmatched bracket in a condition and an impossible character code end only their own statement.
    q.Run("if (1=1 then pln bad\npln ##99999$\npln ok");
    EXPECT_EQ(q.Text(), "ok \r\n");
}

TEST(RunLoop, EndlessLoopsLetTheFrontIn) {
    // No assignment happens in this loop (common labels are not counted), so only the run loop itself can
    // hand control to the front.
    QuestFixture q;
    q.host.processBudget = 3;
    q.Run(":common\ngoto common");
    EXPECT_TRUE(q.engine->Stopping());
}

TEST(Executor, KeywordsIgnoreCaseAndGetTheAppendedBlank) {
    QuestFixture q;
    q.Run("PLN Hello\nPrint x\nprintln y\nP z");
    EXPECT_EQ(q.Text(), "Hello \r\nxy \r\nz");
}

TEST(Executor, ClearingStatements) {
    QuestFixture q;
    q.Run(":a\nbtn a, A\npln t\nclsb\nend");
    EXPECT_EQ(q.Text(), "t \r\n");
    EXPECT_TRUE(q.Buttons().empty());
    q.Run(":a\nbtn a, A\npln t\nclst\nend");
    EXPECT_EQ(q.Text(), "");
    EXPECT_EQ(q.Buttons().size(), 1u);
    q.Run(":a\nbtn a, A\npln t\ncls\nend");
    EXPECT_EQ(q.Text(), "");
    EXPECT_TRUE(q.Buttons().empty());
}

TEST(Executor, AssignmentEntryIsTestedForEveryStatement) {
    QuestFixture q;
    q.Run("x=5\npln x=5\n:go\nbtn go, 2+2=4");
    EXPECT_EQ(q.Var("x"), "5");
    EXPECT_EQ(q.Text(), "x=5 \r\n");
    EXPECT_EQ(q.Buttons(), std::vector<std::string>{"2+2=4 "});
    EXPECT_EQ(q.Var("btn go, 2+2"), "4");
}

TEST(Executor, MisspeltStatementsDoNothing) {
    QuestFixture q;
    q.Run("pnl hello\nfoo\npln ok");
    EXPECT_EQ(q.Text(), "ok \r\n");
}

TEST(Executor, SubChainsFromButtonCommands) {
    QuestFixture q;
    q.Run("xbtn room, {pln a & pln b}, Go\nend\n:room\npln room");
    Choose(q, 0);
    EXPECT_EQ(q.Text(), "a \r\nb \r\nroom \r\n");
}

TEST(Jumps, GotoFindsLabelsTrimmedInAnyCase) {
    QuestFixture q;
    q.Run("goto   KITCHEN  \npln skipped\n:kitchen\npln here");
    EXPECT_EQ(q.Text(), "here \r\n");
    EXPECT_EQ(q.Var("count_kitchen"), "1");
    EXPECT_EQ(q.Var("kitchen"), "1");
}

TEST(Jumps, GotoToMissingLabelStopsButKeepsButtons) {
    QuestFixture q;
    q.Run(":a\nbtn a, A\ngoto nowhere\npln never");
    EXPECT_EQ(q.Text(), "");
    EXPECT_EQ(q.Buttons().size(), 1u);
}

TEST(Jumps, GotoInsideAChainTakesEffectAfterTheChain) {
    QuestFixture q;
    q.Run("goto b & pln still\npln skipped\n:b\npln b");
    EXPECT_EQ(q.Text(), "still \r\nb \r\n");
}

TEST(Jumps, ProcReturnsToItsCaller) {
    QuestFixture q;
    q.Run(
        "proc sub\npln back\nend\n:sub\npln in sub\nproc deeper\npln sub again\nend\n:deeper\npln "
        "deepest\nend");
    EXPECT_EQ(q.Text(), "in sub \r\ndeepest \r\nsub again \r\nback \r\n");
}

TEST(Jumps, ProcToMissingLabelReturnsAtOnce) {
    QuestFixture q;
    q.Run("proc nowhere\npln after");
    EXPECT_EQ(q.Text(), "after \r\n");
}

TEST(Jumps, EndlessRecursionIsBounded) {
    QuestFixture q;
    q.Run("proc r\npln survived\nend\n:r\nn+=1\nproc r\nend");
    EXPECT_EQ(q.Text(), "survived \r\n");
    EXPECT_EQ(q.Var("n"), std::to_string(Limits::kMaxRunNesting - 1));
}

}  // namespace
}  // namespace tarvik::testing
