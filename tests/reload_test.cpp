// Reload in place: the game's steps (buttons, item actions, dialog answers, keys) taken again on the edited
// quest, asking nothing, or stopping where a step is gone.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

std::string Quest(const std::string& lamp, const std::string& cellar) {
    return "pln Start\ninv+ " + lamp + "\nbtn hall, Hall\nend\n:hall\ninput_box name\npln Hall #name$\n" +
           "btn cellar, Cellar\nend\n:use_lamp\nMsgBox \"Light?\", \"Q\", 4, lit\nend\n:cellar\n" + "pln " +
           cellar + " #lit$\nanykey k\npln key #k$\nend\n";
}

TEST(Reload, TakesTheStepsAgainOnTheEditedQuestOrStopsWhereOneIsGone) {
    const struct {
        const char *lamp, *cellar, *text, *stopped;
    } cases[] = {
        {"Lamp", "Deep cellar", "Deep cellar 6 \r\nkey 65 \r\n", ""},
        {"Torch", "Cellar", "Hall Вася \r\n",
         "перезагрузка остановилась на шаге 2 из 4: нет предмета «Lamp»"},
    };
    for (const auto& c : cases) {
        QuestFixture q;
        Engine& e = q.Run(Quest("Lamp", "Cellar"));
        q.host.inputAnswers.push_back({DialogResult::State::Accepted, W("Вася")});
        e.ChooseButton(0);
        q.host.answers.push_back(kAnswerYes);
        e.ClickItem(0);
        e.RunItemAction(e.itemActions().at(0));
        q.host.waitEvents.push_back([](Engine& en) { en.PressKey(65); });
        e.ChooseButton(0);
        ASSERT_EQ(q.Text(), "Cellar 6 \r\nkey 65 \r\n");
        const size_t boxes = q.host.boxes.size(), inputs = q.host.inputs.size(), waits = q.host.waits.size();

        q.WriteFile("quest.qst", Quest(c.lamp, c.cellar));
        std::string stopped;
        e.Reload([&](const std::string& why) { stopped = U(why); });
        EXPECT_EQ(q.Text(), c.text) << c.cellar;
        EXPECT_EQ(stopped, c.stopped);
        EXPECT_EQ(q.host.boxes.size(), boxes);
        EXPECT_EQ(q.host.inputs.size(), inputs);
        EXPECT_EQ(q.host.waits.size(), waits);
        EXPECT_EQ(q.Var("name"), "Вася");
        // The replay is the game's own history again: a second reload ends where the first did.
        e.Reload([&](const std::string& why) { stopped = U(why); });
        EXPECT_EQ(q.Text(), c.text);
    }
}

}  // namespace
}  // namespace tarvik::testing
