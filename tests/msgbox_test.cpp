// MsgBox: the box shown and the answer stored.
#include <gtest/gtest.h>

#include <vector>

#include "engine/message_box.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(MsgBox, ShowsTheBoxAndStoresTheAnswer) {
    QuestFixture q;
    q.host.answers = {kAnswerYes, kAnswerNo};
    q.Run(
        "MsgBox \"Открыть дверь?\", \"Дверь\", zotQuestion+ZotYN,  otvet \n"
        "msgbox \"Ещё раз?\", \"Дверь\", 36, второй");
    ASSERT_EQ(q.host.boxes.size(), 2u);
    EXPECT_EQ(U(q.host.boxes[0].text), "Открыть дверь?");
    EXPECT_EQ(U(q.host.boxes[0].title), "Дверь");
    EXPECT_EQ(q.host.boxes[0].style, 36);
    EXPECT_EQ(q.Var("otvet"), "6");
    EXPECT_EQ(q.Var("второй"), "7");
}

TEST(MsgBox, FieldsAreExpressionsAndCommasCutThem) {
    QuestFixture q;
    q.Run("MsgBox nothing, \"t\", 0, a\nMsgBox \"a, b\", \"t\", 0, c");
    ASSERT_EQ(q.host.boxes.size(), 2u);
    EXPECT_EQ(q.host.boxes[0].text, "0");  // an unset variable shows its value
    // The first comma ends the message even inside quotes, so the fields shift.
    EXPECT_EQ(q.host.boxes[1].text, "0");
    EXPECT_EQ(q.host.boxes[1].title, "0");
    EXPECT_EQ(q.Var("a"), "1");
}

TEST(MsgBox, TooFewCommasShowNothing) {
    QuestFixture q;
    q.Run("MsgBox \"m\", \"t\", 0\npln next");
    EXPECT_TRUE(q.host.boxes.empty());
    EXPECT_EQ(q.Text(), "next \r\n");
}

// The one table every host draws its box from.
TEST(MsgBox, EachStyleHasItsButtonsAndItsAnswerWhenClosed) {
    using Answers = std::vector<MessageAnswer>;
    const struct {
        int style;
        Answers answers;
        MessageAnswer closed;
    } kCases[] = {
        {0, {kAnswerOk}, kAnswerOk},
        {1, {kAnswerOk, kAnswerCancel}, kAnswerCancel},
        {2, {kAnswerAbort, kAnswerRetry, kAnswerIgnore}, kAnswerAbort},
        {3, {kAnswerYes, kAnswerNo, kAnswerCancel}, kAnswerCancel},
        {4, {kAnswerYes, kAnswerNo}, kAnswerYes},
        {5, {kAnswerRetry, kAnswerCancel}, kAnswerCancel},
        {6, {kAnswerOk}, kAnswerOk},  // no set of the language's
        {9, {kAnswerOk}, kAnswerOk},  // the set is in four bits, not three
        {64 + 3, {kAnswerYes, kAnswerNo, kAnswerCancel}, kAnswerCancel},  // an icon added
        {48 + 4 + 256, {kAnswerYes, kAnswerNo}, kAnswerYes},              // so are the default-button bits
        {-1, {kAnswerOk}, kAnswerOk},  // a negative style keeps its low bits too
    };
    for (const auto& c : kCases) {
        const MessageButtons set = MessageBoxButtons(c.style);
        EXPECT_EQ(Answers(set.answers.begin(), set.answers.end()), c.answers) << c.style;
        EXPECT_EQ(set.closed, c.closed) << c.style;
    }
}

}  // namespace
}  // namespace tarvik::testing
