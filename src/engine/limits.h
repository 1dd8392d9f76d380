// How far a quest may take the engine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik {

// Limits that keep a hostile or broken quest from exhausting memory or the stack. Reaching one is never an
// error the player sees: the affected step simply stops there.
struct Limits {
    static constexpr int kMaxRunNesting = 200;         // nested runs (proc calls, runs started inside waits)
    static constexpr int kMaxEvalDepth = 400;          // nested Calc/Vern/Skb calls
    static constexpr uint32_t kMaxEvalSteps = 100000;  // Calc/Vern/Skb calls for one outermost expression
    static constexpr int kMaxSubstitutions = 10000;    // replacements of #...$ forms in one line
    static constexpr size_t kMaxLineLength = 1 << 24;  // a substituted line stops growing here
    static constexpr int kMaxIncludeDepth = 32;        // an include inside an include inside ...
    static constexpr int kMaxIncludes = 10000;         // expansions in one load
    static constexpr size_t kMaxQuestText = 256u << 20;  // total text a load may assemble

    // Hostile input: what a quest may grow at run time, and what may be read from disk.
    static constexpr int kMaxChainNesting = 200;         // a chain piece whose if brings a chain of its own
    static constexpr size_t kMaxTextValue = 16u << 20;   // one text value
    static constexpr size_t kMaxScreenText = 64u << 20;  // the story text on screen (and the HTML buffer)
    static constexpr size_t kMaxVariables = 1000000;     // variables
    static constexpr size_t kMaxVariableText = 256u << 20;  // all text values together
    static constexpr size_t kMaxButtons = 10000;            // buttons on screen
    static constexpr uint64_t kMaxQuestFile = 256u << 20;   // a quest or included file
    static constexpr uint64_t kMaxSavedGame = 256u << 20;   // a saved game
};

}  // namespace tarvik
