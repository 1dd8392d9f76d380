// tarvik-cli and audio: the dump's "audio" key and the toggle and musicend script actions. Scripted runs
// record what would play and open no device.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

class CliAudio : public ::testing::Test, public QuestFixture {
protected:
    // The dump's "audio" object as printed.
    std::string Audio(const std::string& quest, const std::string& script,
                      std::vector<std::string> extra = {}) {
        auto q = WriteFile("quest.qst", quest);
        auto s = WriteBytes("script.txt", script);
        std::vector<std::string> args{"play", q.string(), "--script", s.string(), "--dump"};
        args.insert(args.end(), extra.begin(), extra.end());
        CliResult r = RunCli(args, dir);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        size_t at = r.out.find("\"audio\":");
        size_t end = r.out.find("]}", r.out.find("\"sounds\":", at));
        if (at == std::string::npos || end == std::string::npos) {
            ADD_FAILURE() << r.out;
            return {};
        }
        return r.out.substr(at, end + 2 - at);
    }
    std::string D() const { return dir.string() + "/"; }
};

TEST_F(CliAudio, DumpListsWhatEachChannelWasStartedWith) {
    WriteBytes("theme.mid", "MThd");
    const std::string quest =
        "music=\"theme\"\nplay door.wav\nplay Звон.wav\nbtn next, Дальше\nend\n:next\nmusic=\"nope\"\nend";
    EXPECT_EQ(Audio(quest, ""), "\"audio\":{\"music\":\"" + D() + "theme.mid\",\"music_started\":[\"" + D() +
                                    "theme.mid\"],\"sounds\":[\"" + D() + "door.wav\",\"" + D() +
                                    "Звон.wav\"]}");
    // A file that is not there leaves the channel silent, but it was started with it.
    EXPECT_EQ(Audio(quest, "choose 1\n"), "\"audio\":{\"music\":\"\",\"music_started\":[\"" + D() +
                                              "theme.mid\",\"" + D() + "nope.mid\"],\"sounds\":[\"" + D() +
                                              "door.wav\",\"" + D() + "Звон.wav\"]}");
    EXPECT_EQ(Audio("pln nothing", ""), "\"audio\":{\"music\":\"\",\"music_started\":[],\"sounds\":[]}");
}

TEST_F(CliAudio, MusicendRestartsAndToggleRunsTheMenuAction) {
    WriteBytes("theme.mid", "MThd");
    const std::string quest =
        "music=\"theme\"\nbtn again, Снова\nend\n:again\nmusic=\"theme\"\nplay a.wav\nbtn again, Снова\nend";
    const std::string t = D() + "theme.mid";
    EXPECT_EQ(Audio(quest, "musicend\nmusicend\n"), "\"audio\":{\"music\":\"" + t +
                                                        "\",\"music_started\":[\"" + t + "\",\"" + t +
                                                        "\",\"" + t + "\"],\"sounds\":[]}");
    // Music off stops the channel and assignments start nothing; an end cannot come from a silent channel.
    EXPECT_EQ(
        Audio(quest, "toggle Music\nmusicend\nchoose 1\n"),
        "\"audio\":{\"music\":\"\",\"music_started\":[\"" + t + "\"],\"sounds\":[\"" + D() + "a.wav\"]}");
    // Sounds off: play does nothing; ticked again, it sounds.
    EXPECT_EQ(Audio(quest, "toggle zvuk\nchoose 1\ntoggle Zvuk\nchoose 1\n"),
              "\"audio\":{\"music\":\"" + t + "\",\"music_started\":[\"" + t + "\",\"" + t + "\",\"" + t +
                  "\"],\"sounds\":[\"" + D() + "a.wav\"]}");

    auto q = WriteFile("quest.qst", quest);
    auto s = WriteBytes("script.txt", "toggle Soobit\ntoggle clk\ntoggle inv\ntoggle SvBlock\n");
    CliResult r = RunCli({"play", q.string(), "--script", s.string(), "--dump"}, dir);
    EXPECT_NE(r.out.find("\"options\":{\"Soobit\":false,\"clk\":true,\"Zvuk\":true,\"Music\":true,"
                         "\"SvBlock\":true,\"inv\":true}"),
              std::string::npos)
        << r.out;
    s = WriteBytes("script.txt", "toggle Volume\n");
    r = RunCli({"play", q.string(), "--script", s.string(), "--dump"}, dir);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("toggle needs an option"), std::string::npos) << r.err;
}

TEST_F(CliAudio, TheDemoPlaysItsTunesAndTheChestCreaks) {
    auto s = WriteBytes("script.txt",
                        "type Анна\nanswer 7\nchoose 1\nchoose 1\nchoose 3\nitem 2\naction Зажечь\nchoose 1\n"
                        "choose 2\nchoose 1\nchoose 1\nchoose 1\n");
    const std::string quests = std::string(TARVIK_SOURCE_DIR) + "/quests/";
    CliResult r = RunCli({"play", quests + "demo.qst", "--script", s.string(), "--dump"}, dir);
    const std::string theme = quests + "theme.mid", forest = quests + "forest.mid";
    // The hut's tune, the forest's, back at the hut, the forest again, outside; silence at the end.
    EXPECT_NE(r.out.find("\"audio\":{\"music\":\"\",\"music_started\":[\"" + theme + "\",\"" + forest +
                         "\",\"" + theme + "\",\"" + forest + "\",\"" + theme + "\"],\"sounds\":[\"" +
                         quests + "chest.wav\"]}"),
              std::string::npos)
        << r.out;
    for (const char* f : {"theme.mid", "forest.mid", "chest.wav"})
        EXPECT_TRUE(std::filesystem::is_regular_file(quests + f)) << f;
}

}  // namespace
}  // namespace tarvik::testing
