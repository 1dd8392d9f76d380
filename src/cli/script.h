// Play scripts: the player's events and dialog answers, one per line, that `tarvik-cli play --script` feeds
// to a quest. Script files are UTF-8; texts are handed on in code page 1251.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::cli {

struct ScriptAction {
    enum class Kind {
        // Events: delivered one at a time whenever the game waits for the player.
        Choose,    // number: button, 1-based
        Item,      // number: inventory entry, 1-based, the fixed final entry last
        Action,    // text: item action
        Key,       // number: character code
        Type,      // text: typed into the input line, then Enter
        LoadGame,  // path
        NewGame,
        // Pictures.
        Slot,     // number: main-window slot, 1..128
        Image,    // x, y: twips from the main picture's top left; number: mouse button 1, 2 or 4
        Overlay,  // number: overlay of the picture window, 2..101
        // Audio and options.
        Toggle,    // text: option name (Soobit, clk, Zvuk, Music, SvBlock, inv), its menu action is run
        MusicEnd,  // the music channel's piece ends
        // Continue, undo and transcript.
        Undo,  // "Ход назад"
        // Answers: queued for the next dialog of their kind.
        Answer,    // number: message box button, 1 OK ... 7 No
        Prompt,    // text: what the next input dialog returns
        SaveFile,  // path: what the next save dialog returns
    };

    Kind kind = Kind::NewGame;
    int line = 0;  // 1-based line in the script file
    int number = 0;
    double x = 0, y = 0;
    std::string text;  // code page 1251 for texts, UTF-8 for paths

    bool IsAnswer() const { return kind == Kind::Answer || kind == Kind::Prompt || kind == Kind::SaveFile; }
};

struct ScriptError {
    int line = 0;
    std::string message;  // UTF-8, without the line number
};

// A script is refused past this size: a million actions fit in a small part of it.
inline constexpr size_t kMaxScriptBytes = size_t{64} << 20;

// Parses a whole script. Blank lines and lines whose first non-blank character is "#" are skipped. Returns
// false and fills `error` at the first line that is not an action.
bool ParseScript(std::string_view utf8, std::vector<ScriptAction>& actions, ScriptError& error);

}  // namespace tarvik::cli
