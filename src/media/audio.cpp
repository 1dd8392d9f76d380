#include "media/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tarvik::media {

namespace {

std::atomic<AudioPlayer*> g_Player{nullptr};

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool IsMidi(const std::string& path) {
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    if (!rw) return false;
    // A Standard MIDI File, or one wrapped in a RIFF "RMID" chunk.
    char magic[12] = {};
    const size_t got = SDL_RWread(rw, magic, 1, sizeof magic);
    const std::string head(magic, got);
    bool midi =
        head.rfind("MThd", 0) == 0 || (got == 12 && head.rfind("RIFF", 0) == 0 && head.substr(8) == "RMID");
    SDL_RWclose(rw);
    return midi;
}

// FluidSynth, which SDL2_mixer plays MIDI with, reports every damaged file on stderr; the player reports
// nothing. It is reached through the copy SDL2_mixer already loaded, so nothing is linked for this.
void QuietMidiSynth() {
    void* lib = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return;
    using SetLog = void* (*)(int level, void* fun, void* data);
    if (auto set = reinterpret_cast<SetLog>(dlsym(lib, "fluid_set_log_function")))
        for (int level = 0; level <= 4; ++level) set(level, nullptr, nullptr);
    dlclose(lib);
}

// ALSA prints its whole search for a sound card on stderr when there is none; a machine without audio
// plays nothing and says nothing.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler")))
        set(&QuietAlsaError);
    dlclose(lib);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string DefaultSoundFont() {
    return SoundFontFor(std::string());
}

std::string SoundFontFor(const std::string& chosen) {
    if (const char* env = std::getenv("TARVIK_SOUNDFONT"); env && IsFile(env)) return env;
    if (IsFile(chosen)) return chosen;
    // Debian's General MIDI soundfonts; the biggest one installed sounds best. default-GM is the system's
    // own choice among them.
    static const char* const kKnown[] = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",     "/usr/share/sounds/sf3/MuseScore_General.sf3",
        "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf3/default-GM.sf3",     "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    std::string best;
    std::uintmax_t bestSize = 0;
    for (const char* path : kKnown) {
        std::error_code ec;
        if (!IsFile(path)) continue;
        std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (!ec && size > bestSize) {
            best = path;
            bestSize = size;
        }
    }
    return best;
}

AudioPlayer::AudioPlayer(std::function<void()> musicEnded) : m_MusicEnded(std::move(musicEnded)) {
    g_Player.store(this);
}

AudioPlayer::~AudioPlayer() {
    if (m_Open) {
        Mix_HookMusicFinished(nullptr);
        HaltMusic();
        Mix_HaltChannel(-1);
        if (m_Music) Mix_FreeMusic(static_cast<Mix_Music*>(m_Music));
        if (m_Chunk) Mix_FreeChunk(static_cast<Mix_Chunk*>(m_Chunk));
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    AudioPlayer* self = this;
    g_Player.compare_exchange_strong(self, nullptr);
}

bool AudioPlayer::EnsureOpen() {
    if (m_Open) return true;
    if (m_Failed) return false;
    auto start = std::chrono::steady_clock::now();
    QuietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_Failed = true;
        return false;
    }
    // Each decoder that is missing only costs its own formats.
    Mix_Init(MIX_INIT_MID | MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_OPUS);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_Failed = true;
        return false;
    }
    Mix_HookMusicFinished(&AudioPlayer::MusicFinishedHook);
    QuietMidiSynth();
    m_OpenMs = MillisecondsSince(start);
    m_Open = true;
    return true;
}

// Runs on the audio thread for a natural end, and on the owner's thread inside Mix_HaltMusic, which this
// player marks so that a stop is not taken for an end.
void AudioPlayer::MusicFinishedHook() {
    AudioPlayer* p = g_Player.load();
    if (!p || p->m_Halting.load()) return;
    p->m_EndedPiece.store(p->m_Piece.load());
    if (p->m_MusicEnded) p->m_MusicEnded();
}

void AudioPlayer::HaltMusic() {
    m_Halting.store(true);
    Mix_HaltMusic();
    m_Halting.store(false);
}

void AudioPlayer::PlaySound(const std::string& path) {
    StopSound();
    // A missing file is no reason to open the device.
    if (!IsFile(path) || !EnsureOpen()) return;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk) return;
    m_Chunk = chunk;
    Mix_PlayChannel(0, chunk, 0);
}

void AudioPlayer::StopSound() {
    if (!m_Open) return;
    Mix_HaltChannel(0);
    if (m_Chunk) Mix_FreeChunk(static_cast<Mix_Chunk*>(m_Chunk));
    m_Chunk = nullptr;
}

void AudioPlayer::PlayMusic(const std::string& path) {
    StopMusic();
    if (!IsFile(path) || !EnsureOpen()) return;
    const bool midi = IsMidi(path);
    const std::string font = midi ? SoundFontFor(m_SoundFont) : std::string();
    // A looping tune comes back to the same file again and again: keep it loaded rather than load it (and
    // its soundfont, megabytes of samples) at every turn.
    if (!m_Music || path != m_MusicPath || font != m_MusicFont) {
        if (m_Music) Mix_FreeMusic(static_cast<Mix_Music*>(m_Music));
        m_Music = nullptr;
        m_MusicPath.clear();
        if (midi) Mix_SetSoundFonts(font.empty() ? nullptr : font.c_str());
        auto start = std::chrono::steady_clock::now();
        Mix_Music* music = Mix_LoadMUS(path.c_str());
        if (midi) m_MidiLoadMs = MillisecondsSince(start);
        if (!music) return;
        m_Music = music;
        m_MusicPath = path;
        m_MusicFont = font;
    }
    if (Mix_PlayMusic(static_cast<Mix_Music*>(m_Music), 1) == 0) ++m_MusicStarts;
}

bool AudioPlayer::musicPlaying() const {
    return m_Open && Mix_PlayingMusic() != 0;
}

// An end that arrives before the halt belongs to the old piece and is dropped by its number.
void AudioPlayer::StopMusic() {
    if (!m_Open) return;
    HaltMusic();
    m_Piece.fetch_add(1);
}

bool AudioPlayer::TakeMusicEnded() {
    uint64_t piece = m_Piece.load();
    uint64_t expected = piece;
    return m_EndedPiece.compare_exchange_strong(expected, 0);
}

void AudioPlayer::SetSoundFont(const std::string& path) {
    m_SoundFont = path;
}

}  // namespace tarvik::media
