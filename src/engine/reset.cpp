// Returning the game to a fresh start without touching the loaded program.
#include "engine/engine.h"

namespace tarvik {

void Engine::ResetGame() {
    struct Resetting {
        bool& flag;
        bool was;
        explicit Resetting(bool& f) : flag(f), was(f) { flag = true; }
        ~Resetting() { flag = was; }
    } resetting(m_Resetting);
    ++m_Game;
    m_ReplaySteps.clear();
    m_ReplayFrom.clear();
    m_HtmlMode = false;
    m_HtmlBuffer.clear();
    // Clearing QuitWait ends a waiting quit statement: its run stops when the wait returns.
    m_QuitWait = m_PauseDone = m_AnykeyDone = false;
    // The waits of the old game end too: its key or typed line must not land in the new game.
    m_InputWait = m_AnykeyWaiting = false;
    m_WaitingFor = "";
    m_Text1Visible = false;
    m_TimerRunning = false;
    m_Frame1Visible = false;
    m_NextLine.clear();
    m_ChainState.clear();
    m_PendingChain.clear();
    m_PendingFrom.clear();
    // No file stays open between statements.
    m_Host.StopSound();
    m_Host.StopMusic();
    ClearScreen();
    ClearInventoryList();
    KillVariables();
    m_Combo1.clear();
    m_Combo1Index = -1;
    m_Combo1Enabled = false;
    ResetAppearance();
    Changed(kScreenAll);
}

// A new game starts in the colours of the ticked mode, without the old game's background or picture window.
// The slots and overlays keep what they show.
void Engine::ResetAppearance() {
    try {
        AssignModeColours();
    } catch (const QuestError&) {
    }
    m_Pictures.background.clear();
    m_Host.SetPicture(PictureSpot::Background, 0, std::string());
    m_Pictures.image.clear();
    m_Host.SetPicture(PictureSpot::Main, 1, std::string());
    m_Pictures.windowVisible = false;
    m_Host.ShowPictureWindow(false, m_Pictures.caption, m_Pictures.captionSet);
}

}  // namespace tarvik
