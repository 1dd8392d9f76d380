// Buttons: btn and xbtn, phantoms, the order of a choice and the player's events on the button list.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

using Strings = std::vector<std::string>;

class ButtonsTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;

    void Choose(int index) { engine->ChooseButton(index); }
};

TEST_F(ButtonsTest, CaptionPhantomAndHiddenPhantom) {
    Run("btn kitchen, Go to the kitchen\n"
        "btn cellar, Go down\n"
        "btn kitchen , Trailing blank\n"
        "btn  kitchen,Go to the kitchen\n"
        "end\n"
        ":kitchen\n"
        "end\n");
    // The caption keeps the blank that ends every statement; a label with a blank before its comma is never a
    // label line.
    EXPECT_EQ(Buttons(), (Strings{"Go to the kitchen ", "Go down  //phantom", "Trailing blank  //phantom",
                                  "Go to the kitchen "}));
    EXPECT_EQ(engine->buttonLabels(), (Strings{"kitchen", "cellar", "kitchen ", "kitchen"}));
    EXPECT_EQ(engine->buttonCommands(), (Strings{"", "", "", ""}));

    Run("hide_phantoms=1\n"
        "btn cellar, Go down\n"
        "btn KITCHEN, Up\n"
        "end\n"
        ":kitchen\n");
    EXPECT_EQ(Buttons(), (Strings{"Up "}));
    EXPECT_EQ(engine->buttonLabels(), (Strings{"KITCHEN"}));
}

TEST_F(ButtonsTest, ChoiceClearsRunsCommonThenTheLocationWithNewVariables) {
    Run("pln first page\n"
        "btn room, Enter the room\n"
        "end\n"
        ":Common\n"
        "pln common\n"
        "seen_cur=current_loc\n"
        "seen_prev=previous_loc\n"
        "seen_cap=Last_Btn_Caption\n"
        "end\n"
        ":Common_2\n"
        "pln common two\n"
        "end\n"
        ":room\n"
        "pln room\n"
        "here=current_loc\n"
        "came=previous_loc\n"
        "Common=2\n"
        "btn hall, To hall\n"
        "end\n"
        ":hall\n"
        "pln hall\n"
        "end\n");
    EXPECT_EQ(Text(), "first page \r\n");
    EXPECT_EQ(Var("current_loc"), "<unset>");

    Choose(0);
    EXPECT_EQ(Text(), "common \r\nroom \r\n");
    EXPECT_EQ(Var("seen_cur"), "0");  // the common location sees the values before the choice
    EXPECT_EQ(Var("seen_prev"), "0");
    EXPECT_EQ(Var("here"), "room");
    EXPECT_EQ(Var("came"), "0");
    EXPECT_EQ(Var("current_loc"), "room");
    EXPECT_EQ(Var("previous_loc"), "0");
    EXPECT_EQ(Var("Last_Btn_Caption"), "Enter the room");
    EXPECT_EQ(Var("count_room"), "1");
    EXPECT_EQ(Var("count_Common"), "<unset>");
    EXPECT_EQ(Buttons(), (Strings{"To hall "}));
    EXPECT_EQ(engine->selectedButton(), -1);

    // Common = 2 selects the label Common_2.
    Choose(0);
    EXPECT_EQ(Text(), "common two \r\nhall \r\n");
    EXPECT_EQ(Var("current_loc"), "hall");
    EXPECT_EQ(Var("previous_loc"), "room");
    EXPECT_EQ(Var("Last_Btn_Caption"), "To hall");
    EXPECT_EQ(Var("seen_cur"), "0");
}

TEST_F(ButtonsTest, CommandButtonsWithAndWithoutBraces) {
    Run("xbtn shop, {gold=5|pln bought, cheap & pln twice}, Buy, cheap\n"
        "xbtn shop,gold=7,Plain\n"
        "xbtn shop, gold=9, Blank first\n"
        "xbtn shop, pln hidden, Blank keyword\n"
        "xbtn nowhere, {gold=1}, Lost\n"
        "end\n"
        ":shop\n"
        "pln shop\n"
        "end\n");
    EXPECT_EQ(Buttons(),
              (Strings{"Buy, cheap ", "Plain ", "Blank first ", "Blank keyword ", "Lost  //phantom"}));
    EXPECT_EQ(engine->buttonCommands(),
              (Strings{"gold=5\r\npln bought, cheap& pln twice", "gold=7", " gold=9", " pln hidden", ""}));
    // The "=" of the statements also reaches the assignment, under the name before it: never gold itself.
    EXPECT_EQ(Var("gold"), "<unset>");

    // The statements run after the clear and before the jump.
    Choose(0);
    EXPECT_EQ(Text(), "bought, cheap \r\ntwice \r\nshop \r\n");
    EXPECT_EQ(Var("gold"), "5");

    Run("xbtn shop,gold=7,Plain\n"
        "xbtn shop, gold=9, Blank first\n"
        "xbtn shop, pln hidden, Blank keyword\n"
        "end\n"
        ":shop\n"
        "pln shop\n"
        "end\n");
    Choose(0);
    EXPECT_EQ(Var("gold"), "7");
    Run("xbtn shop, gold=9, Blank first\n"
        "end\n"
        ":shop\n"
        "end\n");
    Choose(0);
    EXPECT_EQ(Var("gold"), "9");  // an assignment still runs with its leading blank
    Run("xbtn shop, pln hidden, Blank keyword\n"
        "end\n"
        ":shop\n"
        "pln shop\n"
        "end\n");
    Choose(0);
    EXPECT_EQ(Text(), "shop \r\n");  // a keyword after a blank is not recognised
}

TEST_F(ButtonsTest, ClearedListReusesSlotsWithoutOldCommands) {
    Run("xbtn a, {x=1}, First\n"
        "btn a, Extra\n"
        "clsb\n"
        "btn a, Second\n"
        "end\n"
        ":a\n"
        "end\n");
    EXPECT_EQ(Buttons(), (Strings{"Second "}));
    EXPECT_EQ(engine->buttonCommands(), (Strings{""}));
    Choose(0);
    EXPECT_EQ(Var("x"), "<unset>");
    EXPECT_EQ(Var("current_loc"), "a");
}

TEST_F(ButtonsTest, PhantomAndNoSelectionChooseNothing) {
    Run("pln page\n"
        "btn nowhere, Lost\n"
        "end\n");
    Choose(0);
    EXPECT_EQ(Text(), "page \r\n");
    EXPECT_EQ(Buttons(), (Strings{"Lost  //phantom"}));
    EXPECT_EQ(Var("current_loc"), "<unset>");

    Run("pln page\n"
        "btn a, A\n"
        "end\n"
        ":a\n"
        "pln a\n"
        "end\n");
    engine->SelectButton(-1);
    engine->ChooseButton(-1);
    engine->SelectButton(5);  // out of range: ignored
    EXPECT_EQ(engine->selectedButton(), -1);
    engine->PressButtonListKey(-1, 13);
    EXPECT_EQ(Text(), "page \r\n");
}

TEST_F(ButtonsTest, MalformedDeclarationsAddNothingAndTheRunGoesOn) {
    Run("btn nocomma\n"
        "xbtn a, only one comma\n"
        "xbtn a, {pln x, Unclosed\n"
        "xbtn a, {pln x}\n"
        "xbtn a, {pln x} no comma after brace\n"
        "xbtn nocomma\n"
        "btn\n"
        "pln after\n"
        "btn a, Good\n"
        "end\n"
        ":a\n");
    EXPECT_EQ(Buttons(), (Strings{"Good "}));
    EXPECT_EQ(Text(), "after \r\n");
}

TEST_F(ButtonsTest, AStopInsideAButtonsCommandsEndsTheChoice) {
    // The window closes while the first command lets it in: nothing more of the choice runs or asks.
    Run("xbtn go, {x=1|MsgBox \"late\", \"t\", 0, v|y=2}, Go\n"
        "end\n"
        ":go\n"
        "pln arrived\n"
        "end\n");
    host.onProcessEvents = [](Engine& e) { e.RequestStop(); };
    Choose(0);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Var("y"), "<unset>");
    EXPECT_EQ(Text().find("arrived"), std::string::npos);
}

TEST_F(ButtonsTest, ClickRuleAndKeys) {
    const char* quest =
        "btn a, A\n"
        "btn b, B\n"
        "end\n"
        ":a\n"
        "pln at a\n"
        "btn a, A1\n"
        "btn b, B1\n"
        "btn c, C1\n"
        "end\n"
        ":b\n"
        "pln at b\n"
        "btn a, Only\n"
        "end\n"
        ":c\n"
        "end\n";
    Run(quest);
    // Without clk a single click never chooses; Enter and a double click do.
    engine->ClickButtonList(1);
    EXPECT_EQ(Var("current_loc"), "<unset>");
    engine->PressButtonListKey(-1, 13);
    EXPECT_EQ(Var("current_loc"), "b");
    EXPECT_EQ(engine->selectedButton(), -1);
    engine->PressButtonListKey(0, 65);  // other keys only answer a waiting anykey
    EXPECT_EQ(Var("current_loc"), "b");

    // With clk the selection stays at the chosen index while the new list is long enough, else goes to 0.
    engine->options().clk = true;
    Run(quest);
    engine->ClickButtonList(1);
    EXPECT_EQ(Var("current_loc"), "b");
    EXPECT_EQ(engine->selectedButton(), 0);
    engine->ClickButtonList(-1);
    EXPECT_EQ(Var("current_loc"), "a");
    EXPECT_EQ(engine->selectedButton(), 0);
    engine->ClickButtonList(2);
    EXPECT_EQ(Var("current_loc"), "c");
    EXPECT_EQ(Buttons(), Strings{});
    EXPECT_EQ(engine->selectedButton(), -1);
    engine->ClickButtonList(-1);  // an empty list: nothing to choose
    EXPECT_EQ(Var("current_loc"), "c");
}

TEST_F(ButtonsTest, EmptyListCompletesAWaitingAnykey) {
    host.waitEvents.push_back([](Engine& e) { e.ClickButtonList(-1); });
    Run("anykey k\n"
        "pln done\n"
        "end\n");
    EXPECT_EQ(Var("k"), "13");

    host.waitEvents.push_back([](Engine& e) { e.PressButtonListKey(-1, 13); });
    Run("anykey k\n"
        "end\n");
    EXPECT_EQ(Var("k"), "13");

    host.waitEvents.push_back([](Engine& e) { e.PressButtonListKey(-1, 97); });
    Run("btn a, A\n"
        "anykey k\n"
        "end\n"
        ":a\n");
    EXPECT_EQ(Var("k"), "97");
    EXPECT_EQ(Var("current_loc"), "<unset>");
}

TEST_F(ButtonsTest, ChoiceDuringAnykeyTakesTheGameOver) {
    host.waitEvents.push_back([](Engine& e) { e.PressButtonListKey(0, 13); });
    Run("btn a, A\n"
        "anykey k\n"
        "pln not reached\n"
        "end\n"
        ":a\n"
        "pln at a\n"
        "end\n");
    EXPECT_EQ(Text(), "at a \r\n");
    EXPECT_EQ(Var("current_loc"), "a");
    EXPECT_EQ(Var("k"), "<unset>");
}

TEST_F(ButtonsTest, ListsIgnoreThePlayerWhileTheInputLineWaits) {
    host.waitEvents.push_back([](Engine& e) {
        e.ChooseButton(0);
        e.PressButtonListKey(-1, 13);
        e.ClickItem(0);
    });
    host.waitEvents.push_back([](Engine& e) { e.SubmitLine("Bob"); });
    Run("btn a, A\n"
        "inv+ key\n"
        "input name\n"
        "pln after\n"
        "end\n"
        ":a\n"
        "pln at a\n"
        "end\n"
        ":use_key\n"
        "end\n");
    EXPECT_EQ(Text(), "after \r\n");
    EXPECT_EQ(Var("name"), "Bob");
    EXPECT_EQ(Var("current_loc"), "<unset>");
    EXPECT_EQ(engine->selectedItem(), -1);
    EXPECT_TRUE(engine->itemActions().empty());
}

}  // namespace
}  // namespace tarvik::testing
