// The audio player over SDL2_mixer with SDL's disk driver: a MIDI tune rendered with the installed
// soundfont, a WAV sound, the end of a piece, and damaged or hostile files. No sound card is needed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "media/audio.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

using namespace std::chrono_literals;

std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string Le32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
std::string Le16(uint16_t v) {
    return {char(v), char(v >> 8)};
}

// A Standard MIDI File, format 0, 96 ticks a quarter at the default 120 beats a minute: a piano note held
// for 96 ticks, half a second.
std::string ShortMidi() {
    std::string track;
    track += std::string("\x00\xC0\x00", 3);      // piano
    track += std::string("\x00\x90\x3C\x64", 4);  // note on, middle C
    track += std::string("\x60\x80\x3C\x40", 4);  // 96 ticks later, note off
    track += std::string("\x00\xFF\x2F\x00", 4);  // end of track
    return "MThd" + Be32(6) + std::string("\x00\x00\x00\x01\x00\x60", 6) + "MTrk" + Be32(track.size()) +
           track;
}

// A 16-bit mono wave file of `ms` milliseconds of a 440 Hz tone.
std::string ToneWav(int ms) {
    const uint32_t rate = 22050, frames = rate * ms / 1000;
    std::string data;
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t s = static_cast<int16_t>(8000 * ((i * 440 * 2 / rate) % 2 ? 1 : -1));
        data += Le16(static_cast<uint16_t>(s));
    }
    std::string fmt = Le16(1) + Le16(1) + Le32(rate) + Le32(rate * 2) + Le16(2) + Le16(16);
    return "RIFF" + Le32(4 + 8 + fmt.size() + 8 + data.size()) + "WAVE" + "fmt " + Le32(fmt.size()) + fmt +
           "data" + Le32(data.size()) + data;
}

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("tarvik-audio-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        output = dir / "out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        auto p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    // Waits for the end of the piece on the music channel, up to `limit`.
    static bool WaitForEnd(media::AudioPlayer& player, std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            if (player.TakeMusicEnded()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    // The loudest 16-bit sample the disk driver has written so far, from byte `from` on.
    int Peak(size_t from = 0) const {
        std::string raw = Slurp(output);
        int peak = 0;
        for (size_t i = from & ~size_t(1); i + 1 < raw.size(); i += 2) {
            int s = static_cast<int16_t>(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8);
            peak = std::max(peak, std::abs(s));
        }
        return peak;
    }

    std::filesystem::path dir, output;
};

TEST_F(AudioTest, MidiSoundsWithTheInstalledSoundfontAndItsEndIsReportedOnce) {
    ASSERT_FALSE(media::DefaultSoundFont().empty()) << "no General MIDI soundfont installed";
    std::atomic<int> ends{0};
    media::AudioPlayer player([&] { ++ends; });
    const std::string tune = Write("tune.mid", ShortMidi());

    // Nothing played yet, nothing opened: a quest without music pays nothing.
    player.StopMusic();
    player.StopSound();
    player.PlayMusic((dir / "missing.mid").string());
    EXPECT_FALSE(player.deviceOpen());

    player.PlayMusic(tune);
    ASSERT_TRUE(player.deviceOpen());
    ASSERT_TRUE(WaitForEnd(player, 10s)) << "the end of the tune never came";
    EXPECT_GE(ends.load(), 1);
    EXPECT_FALSE(player.TakeMusicEnded());  // once only
    EXPECT_GT(Peak(), 300) << "the tune rendered silence";
    std::cout << "[ measure  ] device open " << player.openMilliseconds() << " ms, MIDI load with soundfont "
              << player.lastMidiLoadMilliseconds() << " ms (" << media::DefaultSoundFont() << ")\n";

    // A looping tune starts again from the loaded file and still ends.
    player.PlayMusic(tune);
    EXPECT_TRUE(WaitForEnd(player, 10s));

    // Stopped or replaced pieces report no end.
    player.PlayMusic(tune);
    player.StopMusic();
    player.PlayMusic(tune);
    player.PlayMusic(Write("other.mid", ShortMidi()));
    player.StopMusic();
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(player.TakeMusicEnded());
}

TEST_F(AudioTest, WaveSoundsPlayAndCutEachOtherOff) {
    media::AudioPlayer player;
    const std::string tone = Write("tone.wav", ToneWav(300));
    player.PlaySound(tone);
    player.PlaySound(tone);
    ASSERT_TRUE(player.deviceOpen());
    std::this_thread::sleep_for(800ms);
    EXPECT_GT(Peak(), 4000);
    player.StopSound();
}

TEST_F(AudioTest, TheDemoTunesAndSoundAreHeard) {
    const std::string quests = std::string(TARVIK_SOURCE_DIR) + "/quests/";
    media::AudioPlayer player;
    for (const char* tune : {"theme.mid", "forest.mid"}) {
        const size_t before = Slurp(output).size();
        player.PlayMusic(quests + tune);
        std::this_thread::sleep_for(2500ms);
        EXPECT_TRUE(player.musicPlaying()) << tune;
        EXPECT_GT(Peak(before), 300) << tune;
        player.StopMusic();
    }
    const size_t before = Slurp(output).size();
    player.PlaySound(quests + "chest.wav");
    std::this_thread::sleep_for(1200ms);
    EXPECT_GT(Peak(before), 4000);
}

TEST_F(AudioTest, DamagedAndHostileFilesNeitherCrashNorHang) {
    std::mt19937 random(11);
    std::string noise(1 << 16, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string midi = ShortMidi(), wav = ToneWav(100);
    const std::pair<const char*, std::string> files[] = {
        {"empty.mid", ""},
        {"truncated.mid", midi.substr(0, 26)},
        {"cut-track.mid", midi.substr(0, midi.size() - 6)},
        {"noise.mid", noise},
        {"noise.wav", noise},
        {"noise.ogg", "OggS" + noise},
        {"noise.mp3", "ID3\x04" + noise},
        {"huge-header.mid", "MThd" + Be32(0xFFFFFFF0u) + std::string("\x00\x01\xFF\xFF\x00\x60", 6) + "MTrk" +
                                Be32(0x7FFFFFFF) + std::string("\x00\x90\x3C", 3)},
        {"huge-riff.wav", "RIFF" + Le32(0xFFFFFFFFu) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(0xFFFF) +
                              Le32(0xFFFFFFFFu) + Le32(0xFFFFFFFFu) + Le16(0xFFFF) + Le16(16) + "data" +
                              Le32(0xFFFFFFF0u) + "abcd"},
        {"zero-rate.wav", "RIFF" + Le32(36) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(0) + Le32(0) + Le32(0) +
                              Le16(0) + Le16(0) + "data" + Le32(0)},
        {"cut.wav", wav.substr(0, 50)},
    };
    media::AudioPlayer player;
    for (const auto& [name, bytes] : files) {
        std::string p = Write(name, bytes);
        player.PlayMusic(p);
        player.PlaySound(p);
    }
    player.PlayMusic(dir.string());  // a folder
    player.PlaySound(dir.string());
    player.StopMusic();
    player.StopSound();

    // The player still works afterwards.
    player.PlayMusic(Write("good.mid", midi));
    EXPECT_TRUE(WaitForEnd(player, 10s));
}

}  // namespace
}  // namespace tarvik::testing
