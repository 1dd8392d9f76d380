// The two audio channels of the players, over SDL2_mixer: music (MIDI through a General MIDI soundfont, OGG,
// MP3, WAV, FLAC, tracker modules) and short sounds (WAV, OGG, MP3, FLAC). Shared by the window and the
// terminal player; it knows nothing of either, nor of the engine.
//
// The audio device is opened the first time something plays, so a quest without music or sounds pays
// nothing at start-up. A machine without a usable device plays nothing and reports nothing. Files that are
// missing, damaged or of an unknown kind are skipped the same way.
//
// All methods are for one thread (the owner's). Only one player may exist at a time: SDL2_mixer keeps its
// end-of-music hook as a process-wide setting.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tarvik::media {

// The soundfont a MIDI file is played with when nothing else is chosen: the file TARVIK_SOUNDFONT names when
// it exists, else the largest-sounding General MIDI soundfont the system has installed; empty when there is
// none (MIDI then plays silently).
std::string DefaultSoundFont();
// The soundfont to use when the player chose `chosen` (empty: none): TARVIK_SOUNDFONT still wins, and a
// chosen file that has gone falls back to the default.
std::string SoundFontFor(const std::string& chosen);

class AudioPlayer {
public:
    // `musicEnded` is called when a piece started by PlayMusic ends by itself. It runs on SDL's audio thread:
    // it must only hand the news to the owner's thread (a queued event, a flag), which then asks
    // TakeMusicEnded before acting on it.
    explicit AudioPlayer(std::function<void()> musicEnded = {});
    ~AudioPlayer();
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    // Plays `path` once on the sound channel, cutting off the sound that still plays.
    void PlaySound(const std::string& path);
    void StopSound();
    // Plays `path` once on the music channel in place of what it played. A file that cannot be played
    // leaves the channel silent.
    void PlayMusic(const std::string& path);
    // Silences the music; no end of piece is reported for what it played.
    void StopMusic();
    // True once when the piece now on the music channel has ended by itself; an end reported for a piece
    // that was stopped or replaced since is dropped here.
    bool TakeMusicEnded();

    // The soundfont the player chose for MIDI files loaded from now on (SoundFontFor decides); empty: none.
    void SetSoundFont(const std::string& path);
    const std::string& soundFont() const { return m_SoundFont; }

    // Whether the device has been opened, and what opening it and loading the last MIDI file (its soundfont
    // included) took, in milliseconds.
    bool deviceOpen() const { return m_Open; }
    // Whether the music channel sounds now, and how many pieces it has started so far.
    bool musicPlaying() const;
    int musicStarts() const { return m_MusicStarts; }
    double openMilliseconds() const { return m_OpenMs; }
    double lastMidiLoadMilliseconds() const { return m_MidiLoadMs; }

private:
    bool EnsureOpen();
    void HaltMusic();
    static void MusicFinishedHook();

    std::function<void()> m_MusicEnded;
    std::string m_SoundFont;
    bool m_Open = false;
    bool m_Failed = false;
    double m_OpenMs = 0;
    double m_MidiLoadMs = 0;
    int m_MusicStarts = 0;
    void* m_Music = nullptr;  // Mix_Music*
    std::string m_MusicPath;
    std::string m_MusicFont;  // the soundfont m_Music was loaded with
    void* m_Chunk = nullptr;  // Mix_Chunk*
    // Every start or stop of the music begins a new piece; an end is kept with the piece it belongs to.
    std::atomic<uint64_t> m_Piece{1};
    std::atomic<uint64_t> m_EndedPiece{0};
    std::atomic<bool> m_Halting{false};
};

}  // namespace tarvik::media
