// Sounds and background music: the names the channels get, the restart at the end of a piece, the options,
// and the reset.
#include <gtest/gtest.h>

#include "test_host.h"

namespace tarvik::testing {
namespace {

using Calls = std::vector<std::string>;

// Runs a quest and returns the channel calls it made after the reset that opened it.
Calls AudioOf(QuestFixture& q, const std::string& quest) {
    q.Run(quest);
    Calls calls = q.host.audio;
    // Opening the quest resets the game, which silences both channels first.
    EXPECT_GE(calls.size(), 2u);
    calls.erase(calls.begin(), calls.begin() + 2);
    return calls;
}

TEST(Music, NamesFollowTheExtensionRule) {
    struct Case {
        const char* quest;
        Calls expected;  // "@" stands for the quest's folder
    };
    const Case cases[] = {
        {"music=\"theme\"", {"music @theme.mid"}},
        // The blanks are trimmed after ".mid" is added, so only the leading one goes.
        {"music=\" theme \"", {"music @theme .mid"}},
        {"MUSIC=\"Тема\"", {"music @Тема.mid"}},
        {"music=7", {"music @7.mid"}},
        {"music=\"intro.wav\"", {"music intro.wav"}},  // an extension: taken as written
        {"music=\"sub\\intro.ogg \"", {"music sub\\intro.ogg "}},
        {"music=\"theme\"\nmusic=0", {"music @theme.mid", "stop music"}},
        {"music=\"theme\"\nmusic=\"0\"", {"music @theme.mid", "stop music"}},
        // Any name that begins with "music" starts the channel from the music variable itself.
        {"music=\"a\"\nmusicvolume=3", {"music @a.mid", "music @a.mid"}},
        {"musicvolume=3", {"stop music"}},  // an unset music variable reads as 0
        {"x=\"music\"", {}},
    };
    for (const auto& c : cases) {
        QuestFixture q;
        Calls want;
        for (std::string e : c.expected) {
            if (size_t at = e.find('@'); at != std::string::npos) e.replace(at, 1, q.dir.string() + "/");
            want.push_back(e);
        }
        EXPECT_EQ(AudioOf(q, c.quest), want) << c.quest;
    }
}

TEST(Music, FilesAreFoundWhateverTheLetterCaseAndSlashes) {
    QuestFixture q;
    auto theme = q.WriteBytes("Tunes/Theme.MID", "MThd");
    auto intro = q.WriteBytes("Sub/Intro.wav", "RIFF");
    AudioOf(q, "music=\"tunes\\theme\"\nmusic=\"sub\\intro.WAV\"");
    ASSERT_EQ(q.host.audioPaths.size(), 2u);
    EXPECT_EQ(q.host.audioPaths[0], theme.string());
    // Not in the current folder, so the quest's folder is tried next.
    EXPECT_EQ(q.host.audioPaths[1], intro.string());
}

TEST(Music, EndOfPieceRestartsFromTheVariable) {
    QuestFixture q;
    AudioOf(q, "music=\"theme\"\nend");
    const std::string dir = q.dir.string() + "/";
    q.host.audio.clear();
    q.engine->MusicEnded();
    q.engine->MusicEnded();
    EXPECT_EQ(q.host.audio, Calls({"music " + dir + "theme.mid", "music " + dir + "theme.mid"}));

    // A name with an extension restarts as that name plus ".mid", which is not there: the music ends.
    QuestFixture w;
    AudioOf(w, "music=\"intro.wav\"\nend");
    w.host.audio.clear();
    w.engine->MusicEnded();
    EXPECT_EQ(w.host.audio, Calls({"music " + w.dir.string() + "/intro.wav.mid"}));
}

TEST(Music, TheOptionGatesAssignmentsButNotTheRestart) {
    QuestFixture q;
    q.engine->options().Music = false;
    EXPECT_EQ(AudioOf(q, "music=\"theme\"\nend"), Calls());
    EXPECT_EQ(q.Var("music"), "theme");

    // Ticking it again starts nothing; the next assignment does.
    q.host.audio.clear();
    EXPECT_TRUE(q.engine->SetOption("Music", true));
    EXPECT_TRUE(q.engine->options().Music);
    EXPECT_EQ(q.host.audio, Calls());
    std::string again = "music=\"theme\"";
    q.engine->Do_Perem(again);
    EXPECT_EQ(q.host.audio, Calls({"music " + q.dir.string() + "/theme.mid"}));

    // Switching it off stops the music; the end of a piece still restarts it.
    q.host.audio.clear();
    q.engine->SetOption("music", false);
    EXPECT_FALSE(q.engine->options().Music);
    q.engine->MusicEnded();
    EXPECT_EQ(q.host.audio, Calls({"stop music", "music " + q.dir.string() + "/theme.mid"}));
}

TEST(Sound, PlayKeepsTheNameAsWrittenBeforeTheExecutorsBlank) {
    QuestFixture q;
    auto door = q.WriteBytes("Snd/Door.WAV", "RIFF");
    const std::string dir = q.dir.string() + "/";
    // A second sound cuts the first off: both reach the one channel in order.
    EXPECT_EQ(AudioOf(q, "play snd\\door.wav\nPLAY knock.wav \nplay\nx=1 & play a.wav"),
              Calls({"sound " + dir + "snd\\door.wav", "sound " + dir + "knock.wav ", "sound " + dir,
                     "sound " + dir + "a.wav"}));
    EXPECT_EQ(q.host.audioPaths[0], door.string());
}

TEST(Sound, TheOptionSkipsPlayAndItsClickSilencesOnlySounds) {
    QuestFixture q;
    q.engine->options().Zvuk = false;
    EXPECT_EQ(AudioOf(q, "play door.wav\npln after\nend"), Calls());
    EXPECT_EQ(q.Text(), "after \r\n");

    q.engine->SetOption("Zvuk", true);
    EXPECT_TRUE(q.engine->options().Zvuk);
    EXPECT_EQ(q.host.audio.size(), 2u);  // ticking it plays nothing back
    q.host.audio.clear();
    q.engine->SetOption("Zvuk", false);
    EXPECT_EQ(q.host.audio, Calls({"stop sound"}));
    EXPECT_FALSE(q.engine->SetOption("Sound", true));  // the options go by their field names
}

TEST(Sound, ANewGameStopsBothChannelsAndKeepsNothing) {
    QuestFixture q;
    AudioOf(q, "music=\"theme\"\nplay door.wav\nend");
    q.host.audio.clear();
    q.engine->NewGame();
    Calls calls = q.host.audio;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2), Calls({"stop sound", "stop music"}));
    // The new game starts the music again from its own first line.
    EXPECT_EQ(Calls(calls.begin() + 2, calls.end()),
              Calls({"music " + q.dir.string() + "/theme.mid", "sound " + q.dir.string() + "/door.wav"}));
}

}  // namespace
}  // namespace tarvik::testing
