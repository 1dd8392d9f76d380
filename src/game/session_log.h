// What the player's session leaves beside the game: undo steps and the transcript. Both are front
// conveniences built on the saved-game writer and the screen model; they never change how a quest runs.
#pragma once

#include <cstddef>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tarvik {

class SessionLog {
public:
    static constexpr size_t kUndoSteps = 100;

    size_t undoSteps() const { return m_UndoSteps.size(); }
    // The saved-game text of the last step, taken off the list.
    std::string TakeUndoStep();
    // A player's action begins at rest from `saved`: it becomes an undo step (the oldest goes past
    // kUndoSteps) and is what a game left during the action keeps.
    void BeginAction(std::string saved);
    void EndAction() { m_ActionFrom.clear(); }
    // The saved-game text of the rest the running action began from; empty when none runs.
    const std::string& actionFrom() const { return m_ActionFrom; }
    // Drops the undo steps and the running action's start.
    void Forget();

    // `nativePath` is UTF-8, `questPath` code page 1251 (empty: no quest yet). False when the file cannot be
    // written.
    bool StartTranscript(const std::string& nativePath, const std::string& questPath);
    void StopTranscript();
    bool TranscriptOn() const { return m_Transcript != nullptr; }
    // False when a write to the transcript failed.
    bool TranscriptGood() const { return m_Transcript && static_cast<bool>(*m_Transcript); }
    // Writes what of `screen` and `buttons` (code page 1251) the transcript does not hold yet.
    void NotePage(std::string screen, const std::vector<std::string>& buttons);
    // Writes one line the player gave; the page before it must have been noted.
    void NotePlayer(const std::string& said);

private:
    std::deque<std::string> m_UndoSteps;
    std::string m_ActionFrom;
    std::unique_ptr<std::ofstream> m_Transcript;
    std::string m_TranscriptScreen;                // the screen text as the transcript last wrote it
    std::vector<std::string> m_TranscriptButtons;  // the buttons as last written
    bool m_TranscriptLineOpen = false;             // the last text written did not end its line
};

}  // namespace tarvik
