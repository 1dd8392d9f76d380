#include "cli/script_host.h"

#include <filesystem>
#include <iostream>

namespace tarvik::cli {

int FirstButton(int style) {
    switch (style & 7) {
        case 2:
            return kAnswerAbort;  // Abort, Retry, Ignore
        case 3:                   // Yes, No, Cancel
        case 4:
            return kAnswerYes;  // Yes, No
        case 5:
            return kAnswerRetry;  // Retry, Cancel
        default:
            return kAnswerOk;  // OK; OK, Cancel
    }
}

ScriptHost::ScriptHost(std::vector<ScriptAction> actions)
    : m_Script(std::make_move_iterator(actions.begin()), std::make_move_iterator(actions.end())) {}

void ScriptHost::RunToEnd() {
    while (!failed() && !m_Engine->Stopping() && DeliverNext()) {
    }
}

void ScriptHost::QueueLeadingAnswers() {
    while (!m_Script.empty()) {
        ScriptAction& a = m_Script.front();
        switch (a.kind) {
            case ScriptAction::Kind::Answer:
                m_Answers.push_back(a.number);
                break;
            case ScriptAction::Kind::Prompt:
                m_Prompts.push_back(std::move(a.text));
                break;
            case ScriptAction::Kind::SaveFile:
                m_SaveFiles.push_back(std::move(a.text));
                break;
            default:
                return;
        }
        m_Script.pop_front();
    }
}

bool ScriptHost::DeliverNext() {
    QueueLeadingAnswers();
    if (m_Script.empty()) return false;
    ScriptAction a = std::move(m_Script.front());
    m_Script.pop_front();
    Deliver(a);
    return true;
}

void ScriptHost::Deliver(const ScriptAction& a) {
    Engine& e = *m_Engine;
    switch (a.kind) {
        case ScriptAction::Kind::Choose:
            if (a.number > static_cast<int>(e.buttons().size())) {
                Warn(a, "there is no button " + std::to_string(a.number) + " (the list has " +
                            std::to_string(e.buttons().size()) + ")");
                return;
            }
            e.SelectButton(a.number - 1);
            e.List1_DblClick();
            return;
        case ScriptAction::Kind::Item:
            if (a.number > static_cast<int>(e.inventory().size())) {
                Warn(a, "there is no inventory entry " + std::to_string(a.number) + " (the list has " +
                            std::to_string(e.inventory().size()) + ")");
                return;
            }
            e.lstItems_Click(a.number - 1);
            return;
        case ScriptAction::Kind::Action:
            e.RunItemAction(a.text);
            return;
        case ScriptAction::Kind::Key:
            e.Form_KeyPress(a.number);
            return;
        case ScriptAction::Kind::Type:
            e.Text1_Enter(a.text);
            return;
        case ScriptAction::Kind::NewGame:
            e.mFileNewgame_Click();
            return;
        case ScriptAction::Kind::Undo:
            if (!e.Undo()) Warn(a, "there is no step to undo");
            return;
        case ScriptAction::Kind::LoadGame:
            if (!std::filesystem::is_regular_file(a.text)) {
                Fail(a, 1, "loadgame: no such saved game: " + a.text);
                return;
            }
            m_LoadFiles.push_back(a.text);
            e.RestoreGame();
            m_LoadFiles.clear();
            return;
        case ScriptAction::Kind::Answer:
        case ScriptAction::Kind::Prompt:
        case ScriptAction::Kind::SaveFile:
            return;  // queued by DeliverNext
    }
}

void ScriptHost::Fail(const ScriptAction& a, int exitCode, const std::string& message) {
    m_Failure.exitCode = exitCode;
    m_Failure.message = "script line " + std::to_string(a.line) + ": " + message;
    m_Engine->RequestStop();
}

void ScriptHost::Warn(const ScriptAction& a, const std::string& message) {
    std::cerr << "tarvik-cli: script line " << a.line << ": " << message << "; ignored\n";
}

// Events are delivered inside the waits of anykey, input and quit, one per call, as a player's action would
// arrive during the wait; a pause never sleeps. When the script has nothing left the play is over, so the
// wait and every run around it end.
void ScriptHost::Wait(WaitReason why, int) {
    if (why == WaitReason::Pause || failed() || m_Engine->Stopping()) return;
    if (!DeliverNext()) m_Engine->RequestStop();
}

int ScriptHost::MessageBox(const std::string& text, const std::string& title, int style) {
    m_Messages.push_back({title, text});
    if (m_Answers.empty()) QueueLeadingAnswers();  // a dialog before any event takes the answers that lead
    if (m_Answers.empty()) return FirstButton(style);
    int a = m_Answers.front();
    m_Answers.pop_front();
    return a;
}

DialogResult ScriptHost::InputBox(const std::string& prompt, const std::string& title) {
    m_Inputs.push_back({title, prompt});
    DialogResult r;
    r.state = DialogResult::State::Accepted;
    if (m_Prompts.empty()) QueueLeadingAnswers();
    if (!m_Prompts.empty()) {
        r.text = std::move(m_Prompts.front());
        m_Prompts.pop_front();
    }
    return r;
}

DialogResult ScriptHost::SaveFileDialog(const std::string&, const std::string&) {
    DialogResult r;
    if (m_SaveFiles.empty()) QueueLeadingAnswers();
    if (m_SaveFiles.empty()) return r;  // cancelled
    r.state = DialogResult::State::Accepted;
    r.text = std::move(m_SaveFiles.front());
    m_SaveFiles.pop_front();
    return r;
}

DialogResult ScriptHost::OpenFileDialog(const std::string&, const std::string&, const std::string&) {
    DialogResult r;
    if (m_LoadFiles.empty()) return r;  // cancelled
    r.state = DialogResult::State::Accepted;
    r.text = std::move(m_LoadFiles.front());
    m_LoadFiles.pop_front();
    return r;
}

}  // namespace tarvik::cli
