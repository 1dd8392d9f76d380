// The quest explorer for authors: plays a quest breadth-first from its start, trying every button and every
// item action in every state it reaches, and reports the labels no path reaches, the pages that leave the
// player with nothing to do, the run-time errors met and the endings.
//
// A state is what a saved game holds (variables, inventory, buttons) and the place where the game waits:
// at rest, or inside an input, key wait, pause or message box. A state seen before is not explored again.
// The visit counters of labels grow at every visit and would make every cycle of a quest endless: a counter
// no line reads is left out of the state, and one that is read counts only up to one past the largest number
// on the lines that read it. The places the engine notes at every choice (current_loc, previous_loc,
// Last_Btn_Caption) count only in a quest that reads them. Buttons, item actions and clicks on pictures
// that have a click procedure are tried where the game comes to rest; inside a wait only the wait is
// answered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::tools {

struct ExploreOptions {
    size_t maxStates = 100000;
    // Answers to every input and input dialog, code page 1251, each tried in turn; none: one empty answer.
    std::vector<std::string> inputs;
    uint32_t seed = 0;
};

// One finding, with the actions that lead to it from the start, in the play script syntax (UTF-8).
struct ExploreFinding {
    std::vector<std::string> path;
    std::string label;    // dead ends: the last label the run reached (code page 1251, without ":")
    std::string text;     // dead ends and endings: the screen text (code page 1251)
    std::string routine;  // errors: the statement or routine that met it
    std::string message;  // errors: what went wrong (code page 1251)
    int line = 0;         // errors: the program line (see Engine::programLines); 0 when none
    std::string source;   // errors: that line's text
    std::string file;     // errors: the file the line was written in (UTF-8: the quest or an include)
    int fileLine = 0;     // errors: its line there, from 1; 0 when none
};

struct ExploreResult {
    bool readable = true;  // false when the quest file cannot be read
    size_t states = 0;
    bool complete = true;  // false when --max-states cut the search
    size_t turns = 0;      // actions played, each from a restored state
    double seconds = 0;
    // Every label line in quest order (names without ":", code page 1251), its line, and whether a path
    // reached it.
    std::vector<std::string> labels;
    std::vector<int> labelLines;
    std::vector<bool> reached;
    std::vector<ExploreFinding> deadEnds;  // one per label and page text
    std::vector<ExploreFinding> errors;    // one per line, routine and message
    std::vector<ExploreFinding> endings;   // one per page text
    size_t ReachedCount() const;
    // 0 complete with no dead end and no error, 1 something found, 2 cut with nothing found.
    int ExitCode() const;
};

// Explores the quest at `questPath` (UTF-8, as the file system spells it).
ExploreResult Explore(const std::string& questPath, const ExploreOptions& options);

}  // namespace tarvik::tools
