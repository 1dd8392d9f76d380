// The indexes behind label and item lookups must answer exactly what a search of the label list or of the
// inventory entries would: letter case folded the language's way (Cyrillic included), the first of repeated
// labels, an entry found again after its text changed, and nothing stale after an include or a restore.
#include <gtest/gtest.h>

#include <functional>

#include "test_host.h"

namespace tarvik::testing {
namespace {

using Strings = std::vector<std::string>;

class LookupIndexTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;

    LookupIndexTest() { engine->options().Soobit = false; }
};

TEST_F(LookupIndexTest, ButtonLabelsFoldCaseAndMatchWhereTheLabelListWould) {
    struct Case {
        const char* labels;  // label lines of the quest
        const char* btn;     // the label a button names
        bool real;           // false: a phantom
    };
    const Case cases[] = {
        {":КОМНАТА", "комната", true},
        {":ёлка", "ЁЛКА", true},
        {":Ђак", "ђАК", true},
        {":зал", "зала", false},
        {":зала", "зал", false},
        {":пред:зал", "зал", true},  // the list holds ":зал" followed by its line end
        {":пред:зал", "пред", false},
        {":a:b:c", "b:c", true},
        {":двор   ", "двор", true},  // label lines lose trailing blanks
        {":двор", "двор ", false},
        {":дом\n:Дом", "ДОМ", true},  // defined twice
    };
    for (const Case& c : cases) {
        Run(std::string("btn ") + c.btn + ",Идти\nxbtn " + c.btn + ",{p x},Тоже\nend\n" + c.labels +
            "\nend\n");
        const Strings want =
            c.real ? Strings{"Идти ", "Тоже "} : Strings{"Идти  //phantom", "Тоже  //phantom"};
        EXPECT_EQ(Buttons(), want) << c.labels << " / " << c.btn;
    }
}

TEST_F(LookupIndexTest, JumpsGoToTheFirstOfRepeatedLabelsInAnyCase) {
    Run("goto ЗАЛ\nend\n:зал\npln первый\nend\n:Зал\npln второй\nend\n");
    EXPECT_EQ(Text(), "первый \r\n");
    EXPECT_EQ(Var("count_зал"), "1");
}

// The visit counter keeps its entry across the front's turn between reading and storing it; a perkill taken
// in that turn must not leave it writing into an entry that is gone.
TEST_F(LookupIndexTest, AVisitCounterClearedDuringItsCountIsStoredAfresh) {
    std::function<void(Engine&)> watch = [&](Engine& e) {
        const Value* counter = e.FindVariable(W("count_зал"));
        if (counter && counter->num == 5) {
            e.KillVariables();
            return;
        }
        host.onProcessEvents = watch;
    };
    host.onProcessEvents = watch;
    Run("count_зал=5\ngoto зал\nend\n:зал\npln #count_зал$ #зал$\nend\n");
    EXPECT_EQ(Text(), "6 6 \r\n");
    EXPECT_EQ(Var("zot_type"), "1");  // the perkill did happen
}

TEST_F(LookupIndexTest, LabelsOfAnIncludedFileAndOfANewQuestReplaceTheOldOnes) {
    WriteFile("rooms.inc", ":Погреб\npln внизу\nend\n");
    Run("btn погреб, Вниз\nbtn чердак, Вверх\nend\ninclude quest_pathrooms.inc\n");
    EXPECT_EQ(Buttons(), (Strings{"Вниз ", "Вверх  //phantom"}));
    Run("btn погреб, Вниз\nbtn чердак, Вверх\nend\n:чердак\nend\n");
    EXPECT_EQ(Buttons(), (Strings{"Вниз  //phantom", "Вверх "}));
}

TEST_F(LookupIndexTest, ItemsAreFoundInAnyCaseAfterRenamesAndRemovals) {
    Run("inv+ Меч\n"
        "inv+ Щит\n"
        "inv+ Ёж\n"
        "inv+ 2,МЕЧ\n"  // the entry now spells the name this way
        "inv- щит\n"    // a removal ahead of the hedgehog moves it up
        "inv+ ёЖ\n"
        "a=inv_меч\n"
        "b=inv_ЁЖ\n"
        "if 3 мЕч then c=1\n"
        "if 4 меч then c=2\n"
        "inv_Ключ=5\n"
        "inv_КЛЮЧ=0\n"
        "inv_Щит=2\n"
        "invkill ЁЖ\n"
        "inv+ 1.5,Лук\n"  // the entry's name is what follows its first "."
        "inv+ Лук\n"
        "inv+ 5шт. лук\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"3шт. МЕЧ", "2шт. Щит", "3шт. 5шт. лук", "1шт. Лук"}));
    EXPECT_EQ(Var("a"), "3");
    EXPECT_EQ(Var("b"), "2");
    EXPECT_EQ(Var("c"), "1");

    // Emptied and filled again, the list finds only what it holds now.
    Run("inv+ Меч\ninvkill\ninv+ меч\ninv- 1,МЕЧ\ninv+ Щит\nx=inv_щит\ny=inv_меч\nend\n");
    EXPECT_EQ(Items(), Strings{"1шт. Щит"});
    EXPECT_EQ(Var("x"), "1");
    EXPECT_EQ(Var("y"), "0");
}

TEST_F(LookupIndexTest, RestoredItemsAreFoundByName) {
    host.saveAnswers.push_back(DialogResult{DialogResult::State::Accepted, (dir / "game.qsv").string()});
    Run("inv+ 2,Яблоко\ninv+ Груша\nsave\nend\n");
    Run("inv+ Слива\nend\n");
    host.openAnswers.push_back(DialogResult{DialogResult::State::Accepted, (dir / "game.qsv").string()});
    engine->RestoreGame();
    std::string more = W("inv+ яблоко");
    engine->Obr(more, true, 1);
    more = W("inv- 1,ГРУША");
    engine->Obr(more, true, 1);
    more = W("x=inv_слива");
    engine->Obr(more, true, 1);
    EXPECT_EQ(Items(), Strings{"3шт. яблоко"});
    EXPECT_EQ(Var("x"), "0");
}

}  // namespace
}  // namespace tarvik::testing
