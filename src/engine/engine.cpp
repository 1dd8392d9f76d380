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

}  // namespace tarvik
