// Reload in place: the steps a player took since the game began, kept so that an edited quest can be read
// again and the game brought back to where the player stood.
#include <algorithm>

#include "engine/engine.h"

namespace tarvik {

namespace {

std::string Quoted(const std::string& cp1251) {
    return "«" + text::Cp1251ToUtf8(cp1251) + "»";
}

}  // namespace

void Engine::NoteStep(ReplayStep step) {
    // A replay answers from the queue what it takes; what the quest asks anew is answered by the player and
    // kept too.
    m_ReplaySteps.push_back(std::move(step));
}

int Engine::Ask(const std::string& textCp, const std::string& title, int style) {
    int answer = 0;
    if (m_Replaying && !m_Replay.empty() && m_Replay.front().kind == ReplayStep::Kind::Answer) {
        answer = m_Replay.front().number;
        m_Replay.pop_front();
    } else {
        answer = m_Host.MessageBox(textCp, title, style);
    }
    NoteStep({ReplayStep::Kind::Answer, answer, 0, 0, {}, {}, true});
    return answer;
}

DialogResult Engine::AskInput(const std::string& prompt, const std::string& title) {
    DialogResult answer;
    if (m_Replaying && !m_Replay.empty() && m_Replay.front().kind == ReplayStep::Kind::Input) {
        const ReplayStep& s = m_Replay.front();
        answer.state = s.accepted ? DialogResult::State::Accepted : DialogResult::State::Cancelled;
        answer.text = s.text;
        m_Replay.pop_front();
    } else {
        answer = m_Host.InputBox(prompt, title);
    }
    NoteStep({ReplayStep::Kind::Input, 0, 0, 0, answer.text, {}, answer.accepted()});
    return answer;
}

namespace {

// The player's own steps, without the answers to the quest's questions.
template <typename Steps>
size_t Events(const Steps& steps) {
    return static_cast<size_t>(std::count_if(steps.begin(), steps.end(), [](const ReplayStep& s) {
        return s.kind != ReplayStep::Kind::Answer && s.kind != ReplayStep::Kind::Input;
    }));
}

}  // namespace

void Engine::StopReplay(const std::string& reasonUtf8) {
    const size_t step = m_ReplayTotal - Events(m_Replay) + 1;
    m_Replay.clear();
    m_Replaying = false;
    if (m_ReplayStopped)
        m_ReplayStopped(text::Utf8ToCp1251("перезагрузка остановилась на шаге " + std::to_string(step) +
                                           " из " + std::to_string(m_ReplayTotal) + ": " + reasonUtf8));
}

bool Engine::ReplayNext() {
    using Kind = ReplayStep::Kind;
    // Answers the edited quest no longer asks for are passed over.
    while (!m_Replay.empty() &&
           (m_Replay.front().kind == Kind::Answer || m_Replay.front().kind == Kind::Input))
        m_Replay.pop_front();
    if (m_Replay.empty()) return true;
    const ReplayStep step = m_Replay.front();
    m_Replay.pop_front();
    switch (step.kind) {
        case Kind::Button: {
            // The same caption, at the same place if it is still there, else wherever it moved.
            int at = -1;
            const auto same = [&](size_t i) { return text::Trim(m_List1[i]) == step.text; };
            if (step.number >= 0 && static_cast<size_t>(step.number) < m_List1.size() &&
                same(static_cast<size_t>(step.number)))
                at = step.number;
            for (size_t i = 0; at < 0 && i < m_List1.size(); ++i)
                if (same(i)) at = static_cast<int>(i);
            if (at < 0 || m_Text1Visible) {
                m_Replay.push_front(step);
                StopReplay("нет кнопки " + Quoted(step.text));
                return false;
            }
            SelectButton(at);
            ChooseButton();
            return true;
        }
        case Kind::ItemAction: {
            int at = -1;
            for (int i = 0; at < 0 && i < m_Items.size(); ++i)
                if (text::EqualsNoCase(m_Items.NameAt(i), step.item)) at = i;
            if (at < 0 || m_Text1Visible) {
                m_Replay.push_front(step);
                StopReplay("нет предмета " + Quoted(step.item));
                return false;
            }
            ClickItem(at);
            bool offered = step.text.empty();
            for (const std::string& a : m_Combo1) offered = offered || text::EqualsNoCase(a, step.text);
            if (!offered) {
                m_Replay.push_front(step);
                StopReplay("у предмета " + Quoted(step.item) + " нет действия " + Quoted(step.text));
                return false;
            }
            RunItemAction(step.text);
            return true;
        }
        case Kind::Line:
            if (!m_Text1Visible) {
                m_Replay.push_front(step);
                StopReplay("квест не ждёт ввода строки " + Quoted(step.text));
                return false;
            }
            SubmitLine(step.text);
            return true;
        case Kind::Key:
            StoreKeyPress(step.text);
            return true;
        case Kind::Slot:
            ClickSlot(step.number);
            return true;
        case Kind::Image:
            ClickImage(step.number, step.x, step.y);
            return true;
        case Kind::Overlay:
            ClickOverlay(step.number);
            return true;
        case Kind::Answer:
        case Kind::Input:
            break;
    }
    return true;
}

bool Engine::ReplayInWait(WaitReason why) {
    if (why == WaitReason::Pause) return true;
    if (m_Replay.empty()) {
        m_Replaying = false;
        return false;
    }
    // Whatever the step, the wait goes on around it unless the step ended it; a stopped replay leaves the
    // wait to the player.
    return ReplayNext();
}

void Engine::Reload(const std::function<void(const std::string&)>& stopped) {
    if (m_QuestPath.empty() || m_Replaying) return;
    m_Replay.assign(m_ReplaySteps.begin(), m_ReplaySteps.end());
    m_ReplayTotal = Events(m_Replay);
    const std::string from = m_ReplayFrom;
    m_ReplayStopped = stopped;
    m_Replaying = true;
    const uint32_t before = m_Game;
    // A reload from inside a wait of the old game leaves that game's runs below this one until it returns;
    // the new game is at rest once it is back at this depth and waits for nothing.
    const int depth = m_RunNesting;
    const auto settled = [this, depth] {
        return m_RunNesting == depth && !m_Resetting && !m_QuitWait && !m_InputWait && !m_AnykeyWaiting &&
               !m_Stopping;
    };
    // A game that began from a restored text comes back as a kept game does, without the quest's opening,
    // which would greet or ask as for a new game.
    if (!from.empty())
        ContinueQuest(m_QuestPathNative, from);
    else
        OpenQuest(m_QuestPathNative);
    if (m_Game == before || m_QuestPath.empty()) {
        // The quest could not be read again: nothing was replaced, nothing to replay.
        m_Replaying = false;
        m_Replay.clear();
        return;
    }
    while (m_Replaying && !m_Replay.empty() && settled())
        if (!ReplayNext()) break;
    m_Replaying = false;
    m_Replay.clear();
    m_ReplayStopped = nullptr;
}

}  // namespace tarvik
