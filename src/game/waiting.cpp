// input, input_box, pause, anykey and quit: statements that wait for the player or for time; the wait timer
// and the keys an anykey waits for.
#include "engine/engine.h"

namespace tarvik {

namespace {

// Typed text is a number when it reads as one with either decimal sign; otherwise it is stored as text.
std::string InputStatement(const std::string& var, const std::string& typed) {
    std::string probe = typed;
    size_t dot = probe.find('.');
    if (dot != std::string::npos && dot != 0)
        for (char& c : probe)
            if (c == '.') c = ',';
    if (text::IsNumeric(probe)) return var + "=" + typed;
    return var + "=\"" + typed + "\"";
}

// Marks what the game waits for while a wait statement runs; a nested wait hands the mark back when it ends.
class WaitMark {
public:
    WaitMark(const char*& mark, const bool& stopping, const char* what)
        : m_Mark(mark), m_Stopping(stopping), m_Previous(mark) {
        m_Mark = what;
    }
    ~WaitMark() {
        if (!m_Stopping) m_Mark = m_Previous;
    }
    WaitMark(const WaitMark&) = delete;
    WaitMark& operator=(const WaitMark&) = delete;

private:
    const char*& m_Mark;
    const bool& m_Stopping;
    const char* m_Previous;
};

}  // namespace

void Engine::InputLine(const std::string& arg) {
    m_InputWait = true;
    m_InputVar = arg;
    m_Text1Visible = true;
    Changed(kScreenInput);
    const uint32_t game = m_Game;
    WaitMark mark(m_WaitingFor, m_Stopping, "input");
    while (m_InputWait && !m_Stopping && m_Game == game) WaitMs(WaitReason::Input, 50);
}

void Engine::SubmitLine(const std::string& typed) {
    if (!m_Text1Visible) return;
    // The line shows a ">" prompt, which is not part of the answer.
    std::string line = typed;
    if (!line.empty() && line.front() == '>') line.erase(0, 1);
    std::string value = text::Trim(line);
    NotePlayer(value);
    NoteStep({ReplayStep::Kind::Line, 0, 0, 0, value, {}, true});
    m_InputVar = text::Trim(m_InputVar);
    std::string stmt = InputStatement(m_InputVar, value);
    m_Text1Visible = false;
    Changed(kScreenInput);
    try {
        Do_Perem(stmt);
    } catch (const QuestError&) {
    }
    if (!m_List1.empty()) {
        m_List1Index = 0;
        Changed(kScreenButtons);
    }
    m_InputWait = false;
}

void Engine::InputDialog(const std::string& arg) {
    static const std::string kPrompt = text::Utf8ToCp1251("Введите что-нить");
    static const std::string kTitle = text::Utf8ToCp1251("Тарвик:");
    std::string promptKey = "input_text", titleKey = "input_title";
    std::string prompt = Calc(promptKey).ToText();
    std::string title = Calc(titleKey).ToText();
    if (prompt == "0") prompt = kPrompt;
    if (title == "0") title = kTitle;
    DialogResult answer = AskInput(prompt, title);
    std::string typed = answer.accepted() ? text::Trim(answer.text) : std::string();
    if (answer.accepted()) NotePlayer(typed);
    std::string stmt = InputStatement(arg, typed);
    Do_Perem(stmt);
}

void Engine::PauseRun(const std::string& arg) {
    m_PauseDone = true;
    m_TimerRunning = false;
    std::string a = arg;
    if (!a.empty()) a.pop_back();
    double ms = text::RoundHalfEven(text::LeadingNumber(a));
    if (!(ms >= 0 && ms <= 32767)) throw QuestError("pause: time out of range");
    WaitMark mark(m_WaitingFor, m_Stopping, "pause");
    WaitMs(WaitReason::Pause, static_cast<int>(ms));
}

void Engine::WaitKey(const std::string& arg) {
    m_AnykeyDone = true;
    m_TimerRunning = false;
    m_AnykeyWaiting = true;
    m_AnykeyVariable = text::Trim(arg);
    const uint32_t game = m_Game;
    WaitMark mark(m_WaitingFor, m_Stopping, "anykey");
    while (m_AnykeyWaiting && !m_Stopping && m_Game == game) WaitMs(WaitReason::Anykey, 100);
}

void Engine::QuitRun() {
    m_QuitWait = true;
    m_TimerRunning = false;
    const uint32_t game = m_Game;
    WaitMark mark(m_WaitingFor, m_Stopping, "quit");
    while (m_QuitWait && !m_Stopping && m_Game == game) WaitMs(WaitReason::Quit, 100);
}

void Engine::StoreKeyPress(const std::string& code) {
    if (!m_AnykeyWaiting) return;
    m_AnykeyWaiting = false;
    NoteStep({ReplayStep::Kind::Key, 0, 0, 0, code, {}, true});
    std::string stmt = m_AnykeyVariable + "=" + code;
    try {
        Do_Perem(stmt);
    } catch (const QuestError&) {
    }
}

void Engine::PressKey(int code) {
    StoreKeyPress(std::to_string(code));
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
