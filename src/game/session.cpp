// Continue, undo and transcript. All three stand beside the game: undo steps and kept games are saved-game
// texts taken while the game waits for the player, and the transcript only reads the screen model.
#include "engine/engine.h"

namespace tarvik {

namespace {

const std::string& PageRule() {
    static const std::string s = "\n" + std::string(40, '-') + "\n";
    return s;
}

// Screen text for the transcript: UTF-8 with the file system's line ends.
std::string ForTranscript(const std::string& cp1251) {
    std::string utf8 = text::Cp1251ToUtf8(cp1251);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
            out += '\n';
            continue;
        }
        out += utf8[i];
    }
    return out;
}

}  // namespace

bool Engine::AtRest() const {
    return !m_QuestPath.empty() && m_RunNesting == 0 && !m_Resetting && !m_QuitWait && !m_InputWait &&
           !m_AnykeyWaiting && !m_Stopping;
}

std::string Engine::KeptGameText() const {
    if (m_QuestPath.empty() || m_QuitWait) return {};
    // A game stopped inside an action keeps where that action began, even once its run has unwound.
    if (m_RunNesting == 0 && !m_Resetting && !m_InputWait && !m_AnykeyWaiting && m_ActionFrom.empty())
        return SavedGameText("", true);
    return m_ActionFrom;
}

bool Engine::RestoreQuietly(const std::string& bytes) {
    // The items a restore gives back are no news to the player.
    const bool quiet = m_Options.Soobit;
    m_Options.Soobit = true;
    const bool restored = RestoreGameText(bytes);
    m_Options.Soobit = quiet;
    NotePage();
    return restored;
}

bool Engine::Undo() {
    if (!CanUndo()) return false;
    std::string step = std::move(m_UndoSteps.back());
    m_UndoSteps.pop_back();
    NotePlayer(text::Utf8ToCp1251("(ход назад)"));
    RestoreQuietly(step);
    return true;
}

void Engine::ForgetPast() {
    m_UndoSteps.clear();
    m_ActionFrom.clear();
}

Engine::PlayerAction::PlayerAction(Engine& engine, const std::string& said) : m_Engine(engine) {
    engine.NotePlayer(said);
    if (!engine.AtRest()) return;
    m_FromRest = true;
    engine.m_ActionFrom = engine.SavedGameText("", true);
    engine.m_UndoSteps.push_back(engine.m_ActionFrom);
    while (engine.m_UndoSteps.size() > kUndoSteps) engine.m_UndoSteps.pop_front();
}

Engine::PlayerAction::~PlayerAction() {
    if (!m_FromRest || m_Engine.m_Stopping) return;
    m_Engine.m_ActionFrom.clear();
    m_Engine.NotePage();
}

bool Engine::StartTranscript(const std::string& nativePath) {
    auto out = std::make_unique<std::ofstream>(nativePath, std::ios::binary | std::ios::trunc);
    if (!*out) return false;
    m_Transcript = std::move(out);
    m_TranscriptScreen.clear();
    m_TranscriptButtons.clear();
    m_TranscriptLineOpen = false;
    if (!m_QuestPath.empty())
        *m_Transcript << ForTranscript(text::Utf8ToCp1251("Квест: ") + m_QuestPath) << "\n\n";
    NotePage();
    return static_cast<bool>(*m_Transcript);
}

void Engine::StopTranscript() {
    if (!m_Transcript) return;
    if (m_TranscriptLineOpen) *m_Transcript << "\n";
    m_Transcript.reset();
}

void Engine::NotePage() {
    if (!m_Transcript) return;
    std::string screen = ScreenText();
    std::string out;
    const bool grown = !m_TranscriptScreen.empty() && screen.size() >= m_TranscriptScreen.size() &&
                       screen.compare(0, m_TranscriptScreen.size(), m_TranscriptScreen) == 0;
    if (grown) {
        out = ForTranscript(screen.substr(m_TranscriptScreen.size()));
    } else if (!screen.empty()) {
        // The screen was cleared since: a new page.
        if (m_TranscriptLineOpen) out += '\n';
        out += PageRule();
        out += ForTranscript(screen);
    }
    if (!out.empty()) m_TranscriptLineOpen = out.back() != '\n';
    m_TranscriptScreen = std::move(screen);

    if ((!out.empty() || m_List1 != m_TranscriptButtons) && !m_List1.empty()) {
        if (m_TranscriptLineOpen) out += "\n";
        out += "\n";
        for (size_t i = 0; i < m_List1.size(); ++i)
            out += "  [" + std::to_string(i + 1) + "] " + ForTranscript(text::Trim(m_List1[i])) + "\n";
        m_TranscriptLineOpen = false;
    }
    m_TranscriptButtons = m_List1;
    if (out.empty()) return;
    *m_Transcript << out;
    m_Transcript->flush();
}

void Engine::NotePlayer(const std::string& said) {
    if (!m_Transcript) return;
    // What the player saw before acting belongs above the act.
    NotePage();
    std::string out = m_TranscriptLineOpen ? "\n" : "";
    out += "> " + ForTranscript(said) + "\n";
    m_TranscriptLineOpen = false;
    *m_Transcript << out;
    m_Transcript->flush();
}

}  // namespace tarvik
