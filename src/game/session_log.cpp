#include "game/session_log.h"

#include "text/text.h"

namespace tarvik {

namespace {

const std::string& PageRule() {
    static const std::string s = "\n" + std::string(40, '-') + "\n";
    return s;
}

// Screen text for the transcript: UTF-8 with the file system's line ends.
std::string ForTranscript(const std::string& cp1251) {
    std::string utf8 = text::Cp1251ToUtf8(cp1251);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
            out += '\n';
            continue;
        }
        out += utf8[i];
    }
    return out;
}

}  // namespace

std::string SessionLog::TakeUndoStep() {
    std::string step = std::move(m_UndoSteps.back());
    m_UndoSteps.pop_back();
    return step;
}

void SessionLog::BeginAction(std::string saved) {
    m_ActionFrom = std::move(saved);
    m_UndoSteps.push_back(m_ActionFrom);
    while (m_UndoSteps.size() > kUndoSteps) m_UndoSteps.pop_front();
}

void SessionLog::Forget() {
    m_UndoSteps.clear();
    m_ActionFrom.clear();
}

bool SessionLog::StartTranscript(const std::string& nativePath, const std::string& questPath) {
    auto out = std::make_unique<std::ofstream>(nativePath, std::ios::binary | std::ios::trunc);
    if (!*out) return false;
    m_Transcript = std::move(out);
    m_TranscriptScreen.clear();
    m_TranscriptButtons.clear();
    m_TranscriptLineOpen = false;
    if (!questPath.empty())
        *m_Transcript << ForTranscript(text::Utf8ToCp1251("Квест: ") + questPath) << "\n\n";
    return true;
}

void SessionLog::StopTranscript() {
    if (!m_Transcript) return;
    if (m_TranscriptLineOpen) *m_Transcript << "\n";
    m_Transcript.reset();
}

void SessionLog::NotePage(std::string screen, const std::vector<std::string>& buttons) {
    if (!m_Transcript) return;
    std::string out;
    const bool grown = !m_TranscriptScreen.empty() && screen.size() >= m_TranscriptScreen.size() &&
                       screen.compare(0, m_TranscriptScreen.size(), m_TranscriptScreen) == 0;
    if (grown) {
        out = ForTranscript(screen.substr(m_TranscriptScreen.size()));
    } else if (!screen.empty()) {
        // The screen was cleared since: a new page.
        if (m_TranscriptLineOpen) out += '\n';
        out += PageRule();
        out += ForTranscript(screen);
    }
    if (!out.empty()) m_TranscriptLineOpen = out.back() != '\n';
    m_TranscriptScreen = std::move(screen);

    if ((!out.empty() || buttons != m_TranscriptButtons) && !buttons.empty()) {
        if (m_TranscriptLineOpen) out += "\n";
        out += "\n";
        for (size_t i = 0; i < buttons.size(); ++i)
            out += "  [" + std::to_string(i + 1) + "] " + ForTranscript(text::Trim(buttons[i])) + "\n";
        m_TranscriptLineOpen = false;
    }
    m_TranscriptButtons = buttons;
    if (out.empty()) return;
    *m_Transcript << out;
    m_Transcript->flush();
}

void SessionLog::NotePlayer(const std::string& said) {
    if (!m_Transcript) return;
    std::string out = m_TranscriptLineOpen ? "\n" : "";
    out += "> " + ForTranscript(said) + "\n";
    m_TranscriptLineOpen = false;
    *m_Transcript << out;
    m_Transcript->flush();
}

}  // namespace tarvik
