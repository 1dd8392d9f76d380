#include "engine/engine.h"

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
    auto it = m_LabelIndex.find(labelLine);
    return it == m_LabelIndex.end() ? -1 : it->second;
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
