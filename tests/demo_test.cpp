// The bundled demo quest, played to its end through the terminal player.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(Demo, PlaysFromStartToTheTreasure) {
    QuestFixture q;  // only for its temporary folder
    auto script = q.dir / "demo.script";
    std::ofstream(script) << "type Анна Иванова\n"
                             "answer 7\n"       // no hints
                             "choose 1\n"       // into the hut: the chest is locked
                             "choose 1\n"       // outside
                             "choose 3\n"       // hire a guide to the forest for one coin
                             "item 2\n"         // the lantern
                             "action Зажечь\n"  // light it
                             "choose 1\n"       // back to the hut
                             "choose 2\n"       // the forest again: the key glints in the light
                             "choose 1\n"       // back
                             "choose 1\n"       // into the hut a second time
                             "choose 1\n";      // open the chest
    std::string dump = RunCli({"play", std::string(TARVIK_SOURCE_DIR) + "/quests/demo.qst", "--script",
                               script.string(), "--dump"},
                              q.dir)
                           .out;
    EXPECT_NE(dump.find("Ключ со скрипом поворачивается... \\r\\nВ сундуке 10 монет!"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Теперь у вас 14 монет, по 3,33 монеты"), std::string::npos);
    EXPECT_NE(dump.find("из 12 букв"), std::string::npos);
    EXPECT_NE(dump.find("\"buttons\":[]"), std::string::npos);
    EXPECT_NE(dump.find("{\"entry\":\"14шт. Монета\",\"name\":\"Монета\",\"count\":14}"), std::string::npos);
    EXPECT_EQ(dump.find("Ключ\",\"count\""), std::string::npos);  // the key was used up
    EXPECT_NE(dump.find("{\"name\":\"count_hut\",\"value\":2}"), std::string::npos);
    EXPECT_NE(dump.find("{\"title\":\"Тарвик\",\"text\":\"Показывать подсказки?\"}"), std::string::npos);
    EXPECT_NE(dump.find("{\"name\":\"hints\",\"value\":7}"), std::string::npos);
}

TEST(Demo, RestsAtTheHearthAndComesBackFromTheSave) {
    QuestFixture q;
    auto script = q.dir / "demo.script";
    auto save = q.dir / "hearth.qsv";
    std::ofstream(script) << "type Анна\n"
                             "answer 6\n"  // hints on
                             "choose 1\n"  // into the hut
                             "savefile "
                          << save.string()
                          << "\n"
                             "choose 2\n"  // rest at the hearth: the game is saved
                             "choose 1\n"  // stand up: the hut again
                             "newgame\n"
                             "type Борис\n"
                             "answer 7\n"
                             "loadgame "
                          << save.string() << "\n";
    std::string dump = RunCli({"play", std::string(TARVIK_SOURCE_DIR) + "/quests/demo.qst", "--script",
                               script.string(), "--dump"},
                              q.dir)
                           .out;
    // Back at the hearth, as Anna, with the hints she asked for and one visit to the hut.
    EXPECT_NE(dump.find("\"text\":\"[Монет: 5] \\r\\n\\r\\nВы садитесь у тёплого очага"), std::string::npos)
        << dump;
    EXPECT_EQ(dump.find("Борис"), std::string::npos);
    EXPECT_NE(dump.find("\"buttons\":[{\"caption\":\"Встать и оглядеться \",\"label\":\"hut\""),
              std::string::npos);
    EXPECT_NE(dump.find("{\"name\":\"name\",\"value\":\"Анна\"}"), std::string::npos);
    EXPECT_NE(dump.find("{\"name\":\"hints\",\"value\":6}"), std::string::npos);
    EXPECT_NE(dump.find("{\"name\":\"count_hut\",\"value\":1}"), std::string::npos);
    EXPECT_NE(dump.find("{\"entry\":\"5шт. Монета\",\"name\":\"Монета\",\"count\":5}"), std::string::npos);
}

TEST(Demo, TheNoteOnTheOakIsAnHtmlPageWithAPictureOfOurs) {
    QuestFixture q;
    auto script = q.dir / "demo.script";
    std::ofstream(script) << "type Анна\n"
                             "answer 7\n"
                             "choose 2\n"   // the forest
                             "choose 2\n";  // read the note on the oak
    for (const char* quest : {"demo.qst", "demo.qs1", "demo.qs3"}) {
        std::string dump = RunCli({"play", std::string(TARVIK_SOURCE_DIR) + "/quests/" + quest, "--script",
                                   script.string(), "--dump"},
                                  q.dir)
                               .out;
        EXPECT_NE(
            dump.find("\"html\":{\"visible\":true,\"pages\":[\"<html><body><h2>Записка на старом дубе</h2>"
                      "<p><img src=\\\"demo-html/oak.png\\\""),
            std::string::npos)
            << quest << dump;
        EXPECT_NE(dump.find("&laquo;Анна, то, что ты ищешь"), std::string::npos) << quest;
        EXPECT_NE(dump.find("\"commands\":\"html false\""), std::string::npos) << quest;
    }
    // The picture is there, and is a PNG.
    std::string png = Slurp(std::string(TARVIK_SOURCE_DIR) + "/quests/demo-html/oak.png");
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
}

}  // namespace
}  // namespace tarvik::testing
