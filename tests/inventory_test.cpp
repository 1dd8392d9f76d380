// The inventory: inv+, inv-, invkill, inv_ assignments, inv_visible, messages and item actions.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

using Strings = std::vector<std::string>;

class InventoryTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;

    InventoryTest() { engine->options().Soobit = false; }

    // Every box shown so far as "title|text", in UTF-8.
    Strings Boxes() const {
        Strings r;
        for (auto& b : host.boxes) r.push_back(U(b.title) + "|" + U(b.text));
        return r;
    }
    std::vector<int32_t> Counts() const {
        std::vector<int32_t> r;
        for (int i = 0; i <= engine->invLast(); ++i) r.push_back(engine->inventory()[i].count);
        return r;
    }
    Strings Actions() const {
        Strings r;
        for (auto& a : engine->itemActions()) r.push_back(U(a));
        return r;
    }
    // The fixed final entry is always last.
    void ExpectFixedEntryLast() const {
        ASSERT_FALSE(engine->inventory().empty());
        EXPECT_EQ(U(engine->inventory().back().text), "Инвентарь");
        EXPECT_EQ(engine->inventory().size(), static_cast<size_t>(engine->invLast() + 2));
    }
};

TEST_F(InventoryTest, StartsWithOnlyTheFixedEntry) {
    EXPECT_EQ(engine->invLast(), -1);
    ExpectFixedEntryLast();
    Run("inv+ Sword\ninv+ Shield\nend\n");
    engine->NewGame();
    // The new game starts empty and the quest gives both again: no counts of 2.
    EXPECT_EQ(Items(), (Strings{"1шт. Sword", "1шт. Shield"}));
    Run("end\n");
    EXPECT_EQ(Items(), Strings{});
    ExpectFixedEntryLast();
}

TEST_F(InventoryTest, GiveCountsAsWrittenAndMergesByName) {
    Run("inv+ Sword\n"
        "inv+ sword\n"
        "inv+ 05,   Nut\n"
        "inv+ 2,nut\n"
        "inv+ 3, Old Key\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"2шт. sword", "7шт. nut", "3шт. Old Key"}));
    EXPECT_EQ(Counts(), (std::vector<int32_t>{2, 7, 3}));
    EXPECT_EQ(Var("zot_inv"), "3");
    // The message repeats the statement's count, not the total.
    EXPECT_EQ(Boxes(),
              (Strings{"Ты получил предмет|Ты получил 1шт. Sword", "Ты получил предмет|Ты получил 1шт. sword",
                       "Ты получил предмет|Ты получил 05шт. Nut", "Ты получил предмет|Ты получил 2шт. nut",
                       "Ты получил предмет|Ты получил 3шт. Old Key"}));
    ExpectFixedEntryLast();
}

TEST_F(InventoryTest, CountsBelowOneRemoveWithoutMessage) {
    Run("inv+ -2, Ghost\n"
        "inv+ many, Apple\n"
        "inv+ 2, Pear\n"
        "inv+ -2, Pear\n"
        "end\n");
    EXPECT_EQ(Items(), Strings{});
    EXPECT_EQ(Var("zot_inv"), "0");
    EXPECT_EQ(Boxes(), (Strings{"Ты получил предмет|Ты получил 2шт. Pear"}));
}

TEST_F(InventoryTest, TakeRewritesAndRemovesWithMessage) {
    Run("inv- Ghost\n"
        "end\n");
    EXPECT_EQ(Var("zot_inv"), "<unset>");  // nothing to take: nothing changes
    EXPECT_TRUE(host.boxes.empty());

    Run("inv+ 3, Coin\n"
        "inv+ 4, Gem\n"
        "inv- gem\n"
        "inv- 5,  Coin\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"3шт. gem"}));
    EXPECT_EQ(Counts(), (std::vector<int32_t>{3}));
    EXPECT_EQ(Var("zot_inv"), "1");
    EXPECT_EQ(Boxes(),
              (Strings{"Ты получил предмет|Ты получил 3шт. Coin", "Ты получил предмет|Ты получил 4шт. Gem",
                       "Ты отдал предмет|Ты отдал 1шт.  gem", "Ты отдал предмет|Ты отдал 5шт.   Coin"}));
}

TEST_F(InventoryTest, KillWithAndWithoutName) {
    Run("inv+ 9, Coin\n"
        "inv+ Key\n"
        "invkill coin\n"
        "invkill Ghost\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"1шт. Key"}));
    EXPECT_EQ(Var("zot_inv"), "1");
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_EQ(U(host.boxes[2].title), "Ты отдал предмет");
    EXPECT_EQ(U(host.boxes[2].text), "Ты отдал все  coin ");

    host.boxes.clear();
    Run("inv+ Coin\n"
        "inv+ Key\n"
        "x=zot_inv\n"
        "invkill\n"
        "end\n");
    EXPECT_EQ(Var("x"), "2");
    EXPECT_EQ(Var("zot_inv"), "0");
    EXPECT_EQ(Items(), Strings{});
    ExpectFixedEntryLast();
    EXPECT_EQ(Boxes().back(), "Так вот!|У тебя ничего нет");
}

TEST_F(InventoryTest, SoobitSilencesMessagesOnly) {
    engine->options().Soobit = true;
    Run("inv+ Coin\n"
        "inv- Coin\n"
        "inv+ Key\n"
        "invkill Key\n"
        "inv+ Gem\n"
        "invkill\n"
        "inv+ Ring\n"
        "end\n");
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Items(), (Strings{"1шт. Ring"}));
    EXPECT_EQ(Var("zot_inv"), "1");
}

TEST_F(InventoryTest, CountsBeyondThirtyTwoBitsChangeNothing) {
    Run("inv+ 3000000000, Big\n"
        "inv+ 2147483647, Max\n"
        "inv+ 1, Max\n"
        "inv- -1, Max\n"
        "inv_Huge = 1e20\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"2147483647шт. Max"}));
    EXPECT_EQ(Counts(), (std::vector<int32_t>{2147483647}));
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(InventoryTest, InvAssignmentSetsTheCountWithoutZotInv) {
    Run("inv_Key = 3\n"
        "inv_Ring = 2.5\n"
        "inv_Ghost = 0\n"
        "inv_key = 7\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"7шт. key", "2,5шт. Ring"}));
    EXPECT_EQ(Counts(), (std::vector<int32_t>{7, 2}));
    EXPECT_EQ(Var("zot_inv"), "<unset>");
    EXPECT_TRUE(host.boxes.empty());

    Run("inv+ Key\n"
        "inv+ Ring\n"
        "inv_KEY = 0\n"
        "inv_Ring = -1\n"
        "inv_Cup = \"2\"\n"
        "inv_Mug = \"lots\"\n"
        "end\n");
    EXPECT_EQ(Items(), (Strings{"2шт. Cup"}));
    EXPECT_EQ(Var("zot_inv"), "2");  // set by the last inv+, not by the assignments
}

TEST_F(InventoryTest, VisibilityFollowsTrueUnlessBlocked) {
    Run("inv_visible TRUE\nend\n");
    EXPECT_TRUE(engine->options().inv);
    Run("inv_visible  true \nend\n");
    EXPECT_TRUE(engine->options().inv);
    Run("inv_visible false\nend\n");
    EXPECT_FALSE(engine->options().inv);
    Run("inv_visible yes\nend\n");
    EXPECT_FALSE(engine->options().inv);

    engine->options().SvBlock = true;
    Run("inv_visible true\nend\n");
    EXPECT_FALSE(engine->options().inv);
    engine->SetOption("inv", true);  // the menu command itself is not blocked
    EXPECT_TRUE(engine->options().inv);
    Run("inv_visible false\nend\n");
    EXPECT_TRUE(engine->options().inv);
}

const char* kActionQuest =
    "pln page\n"
    "btn hall, Hall\n"
    "inv+ key\n"
    "inv+ old key\n"
    "inv+ keyring\n"
    "end\n"
    ":use_key_Открыть\n"
    "pln opened\n"
    "end\n"
    ":use_key\n"
    "pln looked\n"
    "end\n"
    ":use_old key_Открыть\n"
    "pln old opened\n"
    "end\n"
    ":use_keyring_Бросить\n"
    "pln dropped\n"
    "inv- keyring\n"
    "end\n"
    ":use_INV\n"
    "pln bag\n"
    "end\n"
    ":hall\n"
    "end\n";

TEST_F(InventoryTest, ActionsComeFromUseLabelsOfExactlyThatItem) {
    Run(kActionQuest);
    engine->ClickItem(0);
    EXPECT_EQ(Actions(), (Strings{"Открыть", "Осмотреть"}));
    EXPECT_TRUE(engine->actionsEnabled());
    engine->ClickItem(1);
    EXPECT_EQ(Actions(), (Strings{"Открыть"}));
    engine->ClickItem(2);
    EXPECT_EQ(Actions(), (Strings{"Бросить"}));
    engine->ClickItem(3);  // the fixed entry is the item INV
    EXPECT_EQ(Actions(), (Strings{"Осмотреть"}));
    engine->ClickItem(9);  // no such entry: nothing changes
    EXPECT_EQ(engine->selectedItem(), 3);
    EXPECT_EQ(Actions(), (Strings{"Осмотреть"}));
}

TEST_F(InventoryTest, RunningAnActionCallsItsLabelAndComesBack) {
    Run(kActionQuest);
    engine->ClickItem(1);
    engine->ChooseAction(engine->selectedAction());
    engine->ClickItem(0);
    engine->RunItemAction(W("осмотреть"));
    engine->RunItemAction(W("Открыть"));
    engine->RunItemAction(W("Сломать"));  // no such label: nothing runs
    engine->ClickItem(3);
    engine->ChooseAction(engine->selectedAction());
    // The screen is not cleared, the buttons stay and the location does not change.
    EXPECT_EQ(Text(), "page \r\nold opened \r\nlooked \r\nopened \r\nbag \r\n");
    EXPECT_EQ(Buttons(), (Strings{"Hall "}));
    EXPECT_EQ(Var("current_loc"), "<unset>");
    EXPECT_EQ(Var("count_use_key"), "1");
}

TEST_F(InventoryTest, TheChooserRunsThePickedAction) {
    Run("inv+ lamp\nend\n:use_lamp_On\npln on\nend\n:use_lamp_Off\npln off\nend");
    engine->ClickItem(0);
    EXPECT_EQ(engine->selectedAction(), 0);
    engine->SelectAction(1);
    engine->SelectAction(5);  // no such action: the pick stays
    engine->ChooseAction(engine->selectedAction());
    EXPECT_EQ(Text(), "off \r\n");
    engine->ClickItem(1);  // the fixed entry offers nothing here, so nothing can be picked
    engine->ChooseAction(0);
    EXPECT_EQ(Text(), "off \r\n");
}

TEST_F(InventoryTest, SelectionFollowsItsEntryWhenOthersGo) {
    Run(kActionQuest);
    engine->ClickItem(2);
    engine->ChooseAction(engine->selectedAction());  // the action takes the item itself away
    EXPECT_EQ(Items(), (Strings{"1шт. key", "1шт. old key"}));
    EXPECT_EQ(engine->selectedItem(), -1);
    engine->ChooseAction(
        engine->selectedAction());  // the action list still offers it, but no entry is selected any more
    EXPECT_EQ(Text(), "page \r\ndropped \r\n");

    Run("inv+ key\n"
        "inv+ Coin\n"
        "end\n"
        ":use_Coin\n"
        "inv- key\n"
        "pln spent\n"
        "end\n");
    engine->ClickItem(1);
    engine->ChooseAction(engine->selectedAction());
    EXPECT_EQ(Items(), (Strings{"1шт. Coin"}));
    EXPECT_EQ(engine->selectedItem(), 0);
    engine->ChooseAction(engine->selectedAction());
    EXPECT_EQ(Text(), "spent \r\nspent \r\n");

    // A new item goes in before the fixed entry, which stays selected.
    Run("end\n"
        ":use_INV\n"
        "inv+ Gem\n"
        "end\n");
    engine->ClickItem(0);
    engine->ChooseAction(engine->selectedAction());
    engine->ChooseAction(engine->selectedAction());
    EXPECT_EQ(Items(), (Strings{"2шт. Gem"}));
    EXPECT_EQ(engine->selectedItem(), 1);
}

TEST_F(InventoryTest, HideUseHidesItemsAndSingleActions) {
    Run("inv+ key\n"
        "hide_use_key_открыть = 1\n"
        "end\n"
        ":use_key_открыть\n"
        "end\n"
        ":use_key\n"
        "end\n");
    engine->ClickItem(0);
    EXPECT_EQ(Actions(), (Strings{"Осмотреть"}));

    Run("inv+ key\n"
        "hide_use_key = 1\n"
        "end\n"
        ":use_key\n"
        "end\n");
    engine->ClickItem(0);
    EXPECT_EQ(Actions(), Strings{});
    EXPECT_FALSE(engine->actionsEnabled());
    engine->ChooseAction(engine->selectedAction());  // disabled: nothing runs
    EXPECT_EQ(Var("count_use_key"), "<unset>");
}

TEST_F(InventoryTest, TheActionsAreOfferedAnewWhenARunEnds) {
    Run("inv+ lamp\nbtn room, Go\nend\n"
        ":room\nhide_use_lamp_Off=1\nend\n"
        ":use_lamp_On\nhide_use_lamp_On=1\nhide_use_lamp_Off=0\nend\n"
        ":use_lamp_Off\nend");
    engine->ClickItem(0);
    EXPECT_EQ(Actions(), (Strings{"On", "Off"}));
    engine->ChooseButton(0);
    EXPECT_EQ(Actions(), (Strings{"On"}));  // the button's run hid one
    engine->ChooseAction(engine->selectedAction());
    EXPECT_EQ(Actions(), (Strings{"Off"}));  // the action's run swapped them
    EXPECT_EQ(engine->selectedAction(), 0);
    // With nothing selected there is nothing to offer.
    engine->NewGame();
    engine->ChooseButton(0);
    EXPECT_EQ(Actions(), Strings{});
}

}  // namespace
}  // namespace tarvik::testing
