// The scope of a player's choice or item action, for the files that run one.
#pragma once

#include "engine/engine.h"

namespace tarvik {

// One started at rest leaves an undo step and is what a game left during its run keeps; the page it leads to
// goes to the transcript when it ends.
class Engine::PlayerAction {
public:
    PlayerAction(Engine& engine, const std::string& said);
    ~PlayerAction();
    PlayerAction(const PlayerAction&) = delete;
    PlayerAction& operator=(const PlayerAction&) = delete;

private:
    Engine& m_Engine;
    bool m_FromRest = false;
};

}  // namespace tarvik
