#include "engine/engine.h"

#include <algorithm>
#include <ctime>

namespace tarvik {

double Host::SecondsSinceMidnight() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ts.tv_nsec / 1e9;
}

bool* Options::Named(std::string_view name) {
    if (text::EqualsNoCase(name, "Soobit")) return &Soobit;
    if (text::EqualsNoCase(name, "clk")) return &clk;
    if (text::EqualsNoCase(name, "Zvuk")) return &Zvuk;
    if (text::EqualsNoCase(name, "Music")) return &Music;
    if (text::EqualsNoCase(name, "SvBlock")) return &SvBlock;
    if (text::EqualsNoCase(name, "inv")) return &inv;
    return nullptr;
}

Engine::Engine(Host& host) : m_Host(host) {
    ClearInventoryList();
}

std::string Engine::ScreenText() const {
    std::string all;
    all.reserve(m_TextLength);
    for (const auto& run : m_TextRuns) all += run.text;
    return all;
}

int Engine::LabelLine(std::string_view labelLine) const {
    return m_Program.LabelLine(labelLine);
}

void Engine::Diagnose(const char* routine, std::string message) const {
    if (m_Stopping || m_Resetting) return;
    Diagnostic d;
    d.routine = routine;
    d.message = std::move(message);
    if (m_CurrentLine > 0 && static_cast<size_t>(m_CurrentLine) < m_Program.size()) {
        d.line = m_CurrentLine;
        d.source = m_Program[static_cast<size_t>(m_CurrentLine)];
    }
    m_Host.Diagnose(d);
}

std::string Engine::RunPlace() const {
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

void Engine::SeedAt(uint32_t seed, uint64_t draws) {
    m_Random.seed(seed);
    m_Random.discard(draws);
    m_RandomDraws = draws;
}

void Engine::RequestStop() {
    m_Stopping = true;
    m_TimerRunning = false;
}

// The single wait timer: a wait that starts while another is counting takes the timer over, and when it ends
// the earlier wait ends too.
void Engine::WaitMs(WaitReason why, int ms) {
    if (ms <= 0 || m_Stopping) return;
    if (m_Replaying && ReplayInWait(why)) return;
    NotePage();
    m_TimerRunning = true;
    m_Host.Wait(why, ms);
    m_TimerRunning = false;
}

}  // namespace tarvik
