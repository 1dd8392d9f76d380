// The tokens statement in word and character mode, and the visit counters of labels.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

class TokensTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;
};
class CountersTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;
};

TEST_F(TokensTest, WordModeSplitsAtTheDelimiter) {
    Run("cmd=\"take the key\"\n"
        "tokens_delim=\" \"\n"
        "tokens cmd\n"
        "end\n");
    EXPECT_EQ(Var("token1"), "take");  // a variable's text is split as it is
    EXPECT_EQ(Var("token2"), "the");
    EXPECT_EQ(Var("token3"), "key");
    EXPECT_EQ(Var("token4"), "<unset>");
    EXPECT_EQ(Var("tokens_num"), "3");
}

TEST_F(TokensTest, EmptyPiecesKeepTheirOldTokens) {
    Run("token2=\"old\"\n"
        "token1=\"old\"\n"
        "token3=\"old3\"\n"
        "cmd=\" take  key \"\n"
        "tokens_delim=\" \"\n"
        "tokens cmd\n"
        "end\n");
    // Pieces: "", "take", "", "key", "".
    EXPECT_EQ(Var("token1"), "old");
    EXPECT_EQ(Var("token2"), "take");
    EXPECT_EQ(Var("token3"), "old3");
    EXPECT_EQ(Var("token4"), "key");
    EXPECT_EQ(Var("token5"), "<unset>");
    EXPECT_EQ(Var("tokens_num"), "2");
}

TEST_F(TokensTest, DelimiterComparesLetterCaseAndDefaultsToZero) {
    Run("s=\"axbXcX\"\n"
        "tokens_delim=\"X\"\n"
        "tokens s\n"
        "end\n");
    EXPECT_EQ(Var("token1"), "axb");
    EXPECT_EQ(Var("token2"), "c");
    EXPECT_EQ(Var("tokens_num"), "2");

    // Without tokens_delim the delimiter is the digit 0.
    Run("s=\"10203\"\n"
        "tokens s\n"
        "end\n");
    EXPECT_EQ(Var("token1"), "1");
    EXPECT_EQ(Var("token2"), "2");
    EXPECT_EQ(Var("token3"), "3");
    EXPECT_EQ(Var("tokens_num"), "3");

    // A multi-character delimiter.
    Run("s=\"a--b----c\"\n"
        "tokens_delim=\"--\"\n"
        "tokens s\n"
        "end\n");
    EXPECT_EQ(Var("token1"), "a");
    EXPECT_EQ(Var("token2"), "b");
    EXPECT_EQ(Var("token3"), "<unset>");
    EXPECT_EQ(Var("token4"), "c");
    EXPECT_EQ(Var("tokens_num"), "3");
}

TEST_F(TokensTest, QuotedLiteralIsSplitInProperCase) {
    Run("tokens_delim=\" \"\n"
        "tokens \"open THE door\"\n"
        "end\n");
    EXPECT_EQ(Var("token2"), "The");
    EXPECT_EQ(Var("token3"), "Door");
    EXPECT_EQ(Var("tokens_num"), "3");
}

TEST_F(TokensTest, CharacterModeAssignsOnePastTheEnd) {
    Run("token4=\"stale\"\n"
        "s=\"aBc\"\n"
        "tokens_delim=\"CHAR\"\n"
        "tokens s\n"
        "end\n");
    EXPECT_EQ(Var("token1"), "a");
    EXPECT_EQ(Var("token2"), "B");
    EXPECT_EQ(Var("token3"), "c");
    EXPECT_EQ(Var("token4"), "");
    EXPECT_EQ(Var("token5"), "<unset>");
    EXPECT_EQ(Var("tokens_num"), "3");

    Run("s=\"\"\n"
        "tokens_delim=\"char\"\n"
        "tokens s\n"
        "end\n");
    EXPECT_EQ(Var("tokens_num"), "0");
    EXPECT_EQ(Var("token1"), "");
}

TEST_F(CountersTest, JumpsAndFallingIntoALabelCount) {
    Run("proc kitchen\n"
        "proc KITCHEN\n"
        "proc  kitchen \n"
        "goto hall\n"
        ":hall\n"
        ":yard\n"
        "end\n"
        ":kitchen\n"
        "end\n");
    EXPECT_EQ(Var("count_kitchen"), "3");
    EXPECT_EQ(Var("kitchen"), "3");
    // goto counts hall and continues after its label line; the run then falls into yard.
    EXPECT_EQ(Var("count_hall"), "1");
    EXPECT_EQ(Var("count_yard"), "1");
    EXPECT_EQ(Var("yard"), "1");
}

TEST_F(CountersTest, CommonLocationsAndMissingLabelsAreNotCounted) {
    Run("proc Common\n"
        "proc common_2\n"
        "proc COMMONPLACE\n"
        "proc nowhere\n"
        "end\n"
        ":Common\n"
        "end\n"
        ":common_2\n"
        "end\n"
        ":COMMONPLACE\n"
        "end\n");
    EXPECT_EQ(Var("count_Common"), "<unset>");
    EXPECT_EQ(Var("count_common_2"), "<unset>");
    EXPECT_EQ(Var("count_COMMONPLACE"), "<unset>");
    EXPECT_EQ(Var("count_nowhere"), "<unset>");
}

TEST_F(CountersTest, QuestVariablesOfTheLabelsNameAreOverwritten) {
    Run("kitchen=\"cosy\"\n"
        "proc kitchen\n"
        "end\n"
        ":kitchen\n"
        "end\n");
    EXPECT_EQ(Var("kitchen"), "1");
    EXPECT_EQ(Var("count_kitchen"), "1");
}

TEST_F(CountersTest, CountWrapsToZeroPastSixteenBits) {
    Run("count_kitchen=32766\n"
        "proc kitchen\n"
        "a=kitchen\n"
        "proc kitchen\n"
        "b=kitchen\n"
        "proc kitchen\n"
        "end\n"
        ":kitchen\n"
        "end\n");
    EXPECT_EQ(Var("a"), "32767");
    EXPECT_EQ(Var("b"), "0");
    EXPECT_EQ(Var("count_kitchen"), "1");
    EXPECT_EQ(Var("kitchen"), "1");

    // An old value that is no number also starts again from 0; a fraction is rounded.
    Run("count_a=\"many\"\n"
        "count_b=2.5\n"
        "proc a\n"
        "proc b\n"
        "end\n"
        ":a\n"
        "end\n"
        ":b\n"
        "end\n");
    EXPECT_EQ(Var("count_a"), "0");
    EXPECT_EQ(Var("count_b"), "4");
}

}  // namespace
}  // namespace tarvik::testing
