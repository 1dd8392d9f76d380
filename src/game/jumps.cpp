// goto and proc.
#include "engine/engine.h"

namespace tarvik {

bool Engine::GotoLabel(const std::string& labelArg, int level) {
    if (level < 0) return true;
    std::string label = text::Trim(labelArg);
    m_NextLine.resize(level + 1);
    m_LabelKey.assign(1, ':');
    m_LabelKey += label;
    const int at = m_Program.LabelLine(m_LabelKey);
    if (at < 0) {
        m_NextLine[level] = static_cast<int32_t>(m_Program.size());
        return false;
    }
    m_NextLine[level] = at + 1;
    m_Host.LabelReached(at);
    try {
        CountVisit(label);
    } catch (const std::exception&) {
    }
    return true;
}

void Engine::CallProc(const std::string& label, int level) {
    // A recursive quest must not exhaust the stack: past the nesting limit the call does nothing.
    if (m_RunNesting >= Limits::kMaxRunNesting || m_Stopping) return;
    int inner = level + 1;
    GotoLabel(label, inner);
    std::string none;
    RunLabel(inner, none);
}

}  // namespace tarvik
