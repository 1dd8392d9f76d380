#include "engine/engine_state.h"

#include <algorithm>

namespace tarvik {

std::string EngineState::ScreenText() const {
    std::string all;
    all.reserve(m_TextLength);
    for (const auto& run : m_TextRuns) all += run.text;
    return all;
}

std::string EngineState::RunPlace() const {
    std::string place = m_WaitingFor;
    for (size_t level = 0; level < m_NextLine.size(); ++level) {
        place += '|';
        place += std::to_string(m_NextLine[level]);
        if (level < m_ChainState.size() && m_ChainState[level] != 0 && level < m_PendingChain.size()) {
            place += ':';
            const size_t from = level < m_PendingFrom.size() ? m_PendingFrom[level] : 0;
            place.append(m_PendingChain[level], std::min(from, m_PendingChain[level].size()));
        }
    }
    return place;
}

void EngineState::SeedAt(uint32_t seed, uint64_t draws) {
    m_Random.seed(seed);
    m_Random.discard(draws);
    m_RandomDraws = draws;
}

void EngineState::RequestStop() {
    m_Stopping = true;
    m_TimerRunning = false;
}

}  // namespace tarvik
