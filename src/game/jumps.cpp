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

// The dialect's way out of nested procs: none of the calling levels resumes once this level ends.
void Engine::ForgetProcs(int level) {
    for (int below = 1; below < level; ++below) {
        if (static_cast<size_t>(below) < m_NextLine.size())
            m_NextLine[below] = static_cast<int32_t>(m_Program.size());
        if (static_cast<size_t>(below) < m_PendingChain.size()) m_PendingChain[below].clear();
        if (static_cast<size_t>(below) < m_PendingFrom.size()) m_PendingFrom[below] = 0;
        if (static_cast<size_t>(below) < m_ChainState.size()) m_ChainState[below] = 0;
    }
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
