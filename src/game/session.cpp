// Continue, undo and transcript. All three stand beside the game: undo steps and kept games are saved-game
// texts taken while the game waits for the player, and the transcript only reads the screen model.
#include "engine/engine.h"
#include "game/player_action.h"

namespace tarvik {

bool Engine::AtRest() const {
    return !m_QuestPath.empty() && m_RunNesting == 0 && !m_Resetting && !m_QuitWait && !m_InputWait &&
           !m_AnykeyWaiting && !m_Stopping;
}

std::string Engine::KeptGameText() const {
    if (m_QuestPath.empty() || m_QuitWait) return {};
    // A game stopped inside an action keeps where that action began, even once its run has unwound.
    if (m_RunNesting == 0 && !m_Resetting && !m_InputWait && !m_AnykeyWaiting && m_Log.actionFrom().empty())
        return SavedGameText("", true);
    return m_Log.actionFrom();
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
    std::string step = m_Log.TakeUndoStep();
    NotePlayer(text::Utf8ToCp1251("(ход назад)"));
    RestoreQuietly(step);
    return true;
}

Engine::PlayerAction::PlayerAction(Engine& engine, const std::string& said) : m_Engine(engine) {
    engine.NotePlayer(said);
    if (!engine.AtRest()) return;
    m_FromRest = true;
    engine.m_Log.BeginAction(engine.SavedGameText("", true));
}

Engine::PlayerAction::~PlayerAction() {
    if (!m_FromRest || m_Engine.m_Stopping) return;
    m_Engine.m_Log.EndAction();
    m_Engine.NotePage();
}

bool Engine::StartTranscript(const std::string& nativePath) {
    if (!m_Log.StartTranscript(nativePath, m_QuestPath)) return false;
    NotePage();
    return m_Log.TranscriptGood();
}

void EngineState::NotePage() {
    if (m_Log.TranscriptOn()) m_Log.NotePage(ScreenText(), m_List1);
}

void EngineState::NotePlayer(const std::string& said) {
    if (!m_Log.TranscriptOn()) return;
    // What the player saw before acting belongs above the act.
    NotePage();
    m_Log.NotePlayer(said);
}

}  // namespace tarvik
