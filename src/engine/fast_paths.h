// The speed work beside the language's routines, for the engine's own files: statements that the routines
// would take the long way, done straight on the stores when the outcome is certainly the same. Each returns
// false, with nothing done, when it cannot be sure.
#pragma once

#include <string>
#include <string_view>

#include "engine/engine.h"

namespace tarvik {

struct Engine::FastPaths {
    // A goto's visit count for a plain label name.
    static bool CountVisitQuickly(Engine& engine, const std::string& name);
    // instr with the text s[from..] (one blank appended), when it would store that text unchanged: the line's
    // storage becomes the value and s is left empty.
    static bool AssignTextQuickly(Engine& engine, std::string& s, size_t from);
    // name=expr when the value would be the variable's own text with a quoted text after it (s=s+"ab"):
    // that text is appended where the variable holds it.
    static bool AppendTextQuickly(Engine& engine, std::string_view name, std::string_view expr);
    // A name Calc reads straight from the store: a letter or "_", then letters, digits and "_", and none of
    // the names it computes (inv_…, RND…, TIME).
    static bool IsPlainVariableName(std::string_view name);
    // A text variable named alone whose value Calc would give unchanged; nullptr for anything else.
    static const Value* PlainTextVariable(const Engine& engine, std::string_view expr);
};

}  // namespace tarvik
