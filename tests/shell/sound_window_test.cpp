// Music and sounds in the window: the option items act on the channels, the end of a piece comes back from
// the audio thread and restarts the tune, and the chosen soundfont is a setting. SDL's silent driver stands
// in for a sound card.
#include <string>

#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

// A Standard MIDI File, format 0, 96 ticks a quarter: one note of 48 ticks (a quarter of a second).
std::string ShortMidi() {
    const std::string track("\x00\xC0\x00\x00\x90\x3C\x64\x30\x80\x3C\x40\x00\xFF\x2F\x00", 15);
    return std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00", 21) +
           char(track.size()) + track;
}

class SoundWindow : public WindowTest {};

TEST_F(SoundWindow, ATuneLoopsUntilTheMusicItemSwitchesItOff) {
    WriteFile("tune.mid", ShortMidi());
    w->OpenQuestFile(WriteQuest("q.qst", "music=\"tune\"\npln Играет.\nend"));
    Settle();
    media::AudioPlayer& audio = w->audio();
    if (!audio.deviceOpen()) GTEST_SKIP() << "SDL offers no audio driver here";
    EXPECT_EQ(audio.musicStarts(), 1);

    // The end of the piece is noticed on SDL's thread and restarts the tune on this one.
    for (int i = 0; i < 400 && audio.musicStarts() < 3; ++i) QTest::qWait(25);
    EXPECT_GE(audio.musicStarts(), 3) << "the tune did not loop";

    // Sounds off leaves the music alone; music off silences it and nothing restarts it.
    QAction* zvuk = Find<QAction>("Zvuk");
    QAction* music = Find<QAction>("Music");
    zvuk->trigger();
    EXPECT_FALSE(w->engine().options().Zvuk);
    EXPECT_TRUE(w->engine().options().Music);
    for (int i = 0; i < 40 && !audio.musicPlaying(); ++i) QTest::qWait(10);
    EXPECT_TRUE(audio.musicPlaying());
    music->trigger();
    EXPECT_FALSE(music->isChecked());
    EXPECT_FALSE(w->engine().options().Music);
    EXPECT_FALSE(audio.musicPlaying());
    const int starts = audio.musicStarts();
    QTest::qWait(600);
    EXPECT_EQ(audio.musicStarts(), starts);

    // Ticked again it waits for the next assignment.
    music->trigger();
    EXPECT_TRUE(w->engine().options().Music);
    QTest::qWait(100);
    EXPECT_EQ(audio.musicStarts(), starts);
}

TEST_F(SoundWindow, AQuestWithoutMusicOpensNoAudioDevice) {
    w->OpenQuestFile(WriteQuest("q.qst", "pln Тишина.\nplay нет-такого.wav\nmusic=\"нет-такой\"\nend"));
    Settle();
    EXPECT_TRUE(Screen().contains(Q("Тишина.")));
    EXPECT_FALSE(w->audio().deviceOpen());
}

TEST_F(SoundWindow, TheChosenSoundfontIsWrittenWithTheOptionsAndReadBack) {
    ShellSettings s;
    s.soundFont = "/opt/звуки/big.sf2";
    std::string file = WriteSettings(s, {});
    EXPECT_NE(file.find("[Click]=False\r\n[SoundFont]=" + text::Utf8ToCp1251(s.soundFont) + "\r\n[*Font1*]"),
              std::string::npos);
    ShellSettings back;
    ReadSettings(file, back);
    EXPECT_EQ(back.soundFont, s.soundFont);
    // None chosen: no line at all, and the recent list is not disturbed by one.
    EXPECT_EQ(WriteSettings(ShellSettings{}, {}).find("SoundFont"), std::string::npos);

    w->ApplySettings(back);
    EXPECT_EQ(w->soundFont(), s.soundFont);
    EXPECT_EQ(w->CurrentSettings().soundFont, s.soundFont);
}

}  // namespace
}  // namespace tarvik::shell::testing
