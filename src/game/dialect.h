// The later dialect of the quest language family. Most quests people download were written for later players
// of the family, which extended the language; such a quest is recognised by its markers once it is loaded,
// and only then do the extensions apply, so that quests of the language itself play exactly as before.
#pragma once

#include "engine/program_store.h"

namespace tarvik {

// How the dialect is chosen: from the quest's markers, or forced by the player or author.
enum class DialectSwitch { Auto, On, Off };

// Whether a loaded program is written in the dialect: off when it uses the language's own HTML view,
// otherwise on when any line carries one of the dialect's markers.
bool DetectDialect(const ProgramStore& lines);

}  // namespace tarvik
