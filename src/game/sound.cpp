// Sounds (the play statement) and background music (the music variable), on two channels of the host.
#include <filesystem>
#include <system_error>

#include "engine/engine.h"
#include "files/paths.h"

namespace tarvik {

namespace {

bool IsFile(const std::string& native) {
    std::error_code ec;
    return !native.empty() && std::filesystem::is_regular_file(native, ec);
}

// The music variable as text, read the way the quest would read it.
std::string MusicName(Engine& engine) {
    std::string key = "music";
    return engine.Calc(key).ToText();
}

}  // namespace

void Engine::PlaySound(const std::string& arg) {
    // The executor's own blank goes; a blank the author left before it stays part of the name.
    std::string file = m_QuestFolder + arg.substr(0, arg.empty() ? 0 : arg.size() - 1);
    std::string native = NativePath(file);
    if (!IsFile(native)) Diagnose("play", "no sound file \"" + file + "\"");
    m_Host.PlaySound(native, text::Cp1251ToUtf8(file));
}

void Engine::PlayMusicOnce(const std::string& name) {
    if (name.empty() || name == "0" || text::EqualsNoCase(name, "stop")) {
        m_MusicOnce = false;
        m_Host.StopMusic();
        return;
    }
    std::string file = m_QuestFolder + name;
    std::string native = NativePath(file);
    if (!IsFile(native)) Diagnose("music", "no music file \"" + file + "\"");
    m_MusicOnce = true;
    m_Host.PlayMusic(native, text::Cp1251ToUtf8(name));
}

void Engine::PlayMusic() {
    m_MusicOnce = false;
    std::string m = MusicName(*this);
    if (m == "0") {
        m_Host.StopMusic();
        return;
    }
    if (m.find('.') == std::string::npos) {
        std::string file = m_QuestFolder + text::Trim(m + ".mid");
        std::string native = NativePath(file);
        if (!IsFile(native)) Diagnose("music", "no music file \"" + file + "\"");
        m_Host.PlayMusic(native, text::Cp1251ToUtf8(file));
        return;
    }
    // A name with an extension is taken as written, from the current folder; quests carried over from
    // Windows were started from their own folder, so that folder is the next place to look.
    std::string native = ResolvePath(text::Cp1251ToUtf8(m));
    if (!IsFile(native)) {
        std::string inQuest = NativePath(m_QuestFolder + m);
        if (IsFile(inQuest))
            native = inQuest;
        else
            Diagnose("music", "no music file \"" + m + "\"");
    }
    m_Host.PlayMusic(native, text::Cp1251ToUtf8(m));
}

// Restarting from the variable, not from the finished file, loops an extension-less tune for as long as the
// variable names it; the option is not consulted, since switching it off already stopped the channel.
void Engine::MusicEnded() {
    if (m_Stopping) return;
    // A tune the dialect's music statement started plays once.
    if (m_MusicOnce) {
        m_MusicOnce = false;
        return;
    }
    std::string file;
    try {
        file = m_QuestFolder + text::Trim(MusicName(*this) + ".mid");
    } catch (const QuestError&) {
        return;
    }
    m_Host.PlayMusic(NativePath(file), text::Cp1251ToUtf8(file));
}

// Switching sounds off silences the sound channel and leaves the music alone: the music has its own switch.
// Ticking music again starts nothing; the next assignment to the music variable does.
bool Engine::SetOption(std::string_view name, bool on) {
    bool* option = m_Options.Named(name);
    if (!option) return false;
    *option = on;
    if (option == &m_Options.Zvuk && !on) m_Host.StopSound();
    if (option == &m_Options.Music && !on) {
        m_MusicOnce = false;
        m_Host.StopMusic();
    }
    if (option == &m_Options.inv) Changed(kScreenInventory);
    return true;
}

}  // namespace tarvik
