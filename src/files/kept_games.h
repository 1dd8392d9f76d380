// Kept games: the game a player left is written, in the saved-game format, to the user's state folder, one
// file per quest, so that opening the quest again can take the player back to it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tarvik::files {

// $XDG_STATE_HOME/tarvik, or ~/.local/state/tarvik when XDG_STATE_HOME is unset or not absolute. UTF-8.
std::string KeptGamesFolder();

// The kept game's file for the quest at `questPath` (UTF-8): the quest's file name, then a hash of its whole
// absolute path, so quests of one name in different folders keep their games apart.
std::string KeptGamePath(const std::string& questPath);

// Reads the kept game of a quest; false when there is none.
bool ReadKeptGame(const std::string& questPath, std::string& bytes);
// Keeps `bytes` as the quest's game, creating the folder; empty bytes drop it instead. False on failure.
bool KeepGame(const std::string& questPath, const std::string& bytes);
void DropKeptGame(const std::string& questPath);

// Keeps the game of the quest being played as play goes on, each time it comes to rest. A text equal to the
// one it last kept is not written again, so a rest that changed nothing costs one comparison. Writes asked
// for in the background run on the keeper's own thread, so the disk's flush never holds up the game.
class GameKeeper {
public:
    GameKeeper() = default;
    // Finishes the write under way, and a text handed over and not yet written.
    ~GameKeeper();
    GameKeeper(const GameKeeper&) = delete;
    GameKeeper& operator=(const GameKeeper&) = delete;

    // The quest whose game is kept from now on (UTF-8); empty keeps nothing.
    void SetQuest(const std::string& questPath);
    const std::string& quest() const { return m_Quest; }
    // Keeps `text` (a saved-game text) as the quest's game before it returns; empty drops it. False when it
    // could not be written; the file then holds what it held.
    bool Keep(const std::string& text);
    // Hands `text` over to be kept on the keeper's thread and returns at once; a text handed over earlier and
    // not yet written is replaced. False, once, when the previous background write failed.
    bool KeepInBackground(const std::string& text);
    void Drop();
    // Waits until everything handed over is written.
    void Finish();

private:
    void Run();
    std::string m_Quest;
    std::string m_Last;    // the text last kept or handed over for m_Quest
    bool m_Known = false;  // m_Last is what the file holds, or will once the writer is done
    std::mutex m_Mutex;    // guards what follows
    std::condition_variable m_Wake, m_Idle;
    bool m_HasJob = false, m_Writing = false, m_Stop = false, m_Failed = false;
    std::string m_JobQuest, m_JobText;
    std::thread m_Thread;
};

}  // namespace tarvik::files
