#include "cli/script_host.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "cli/messages.h"
#include "engine/message_box.h"
#include "files/paths.h"

namespace tarvik::cli {

ScriptHost::ScriptHost(std::vector<ScriptAction> actions)
    : m_Script(std::make_move_iterator(actions.begin()), std::make_move_iterator(actions.end())) {}

void ScriptHost::RunToEnd() {
    while (!failed() && !m_Engine->Stopping() && !PastDeadline() && DeliverNext())
        if (m_AfterAction) m_AfterAction();
}

bool ScriptHost::PastDeadline() {
    if (m_Failure.exitCode == kExitTimeout) return true;
    if (!m_HasDeadline || failed() || std::chrono::steady_clock::now() < m_Deadline) return false;
    m_Failure.exitCode = kExitTimeout;
    m_Failure.message = _("the quest did not stop");
    m_Engine->RequestStop();
    return true;
}

void ScriptHost::ProcessEvents() {
    PastDeadline();
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
                Warn(a, Format(_("there is no button %d (the list has %d)"), a.number,
                               static_cast<int>(e.buttons().size())));
                return;
            }
            e.ChooseButton(a.number - 1);
            return;
        case ScriptAction::Kind::Item:
            if (a.number > static_cast<int>(e.inventory().size())) {
                Warn(a, Format(_("there is no inventory entry %d (the list has %d)"), a.number,
                               static_cast<int>(e.inventory().size())));
                return;
            }
            e.ClickItem(a.number - 1);
            return;
        case ScriptAction::Kind::Action:
            e.RunItemAction(a.text);
            return;
        case ScriptAction::Kind::Key:
            e.PressKey(a.number);
            return;
        case ScriptAction::Kind::Type:
            e.SubmitLine(a.text);
            return;
        case ScriptAction::Kind::NewGame:
            e.NewGame();
            return;
        case ScriptAction::Kind::Undo:
            if (!e.Undo()) Warn(a, _("there is no step to undo"));
            return;
        case ScriptAction::Kind::LoadGame: {
            // Every file-system trouble (a link loop, a name too long, no permission) is the script's
            // failure, named, not an internal error.
            std::error_code ec;
            const auto status = std::filesystem::status(a.text, ec);
            if (ec && ec != std::errc::no_such_file_or_directory) {
                Fail(a, 1, Format(_("loadgame: cannot open the saved game %s: %s"), a.text, ec.message()));
                return;
            }
            if (!std::filesystem::is_regular_file(status)) {
                Fail(a, 1, Format(_("loadgame: no such saved game: %s"), a.text));
                return;
            }
            if (!std::ifstream(a.text, std::ios::binary)) {
                Fail(a, 1, Format(_("loadgame: cannot read the saved game %s"), a.text));
                return;
            }
            if (FileLargerThan(a.text, Limits::kMaxSavedGame)) {
                Fail(a, 1, Format(_("loadgame: the saved game %s is too large"), a.text));
                return;
            }
            m_LoadFiles.push_back(a.text);
            e.RestoreGame();
            m_LoadFiles.clear();
            return;
        }
        case ScriptAction::Kind::Slot:
            if (!e.pictures().images[a.number - 1].visible) {
                Warn(a, Format(_("slot %d is not shown"), a.number));
                return;
            }
            e.ClickSlot(a.number);
            return;
        case ScriptAction::Kind::Image:
            if (!e.pictures().windowVisible) {
                Warn(a, _("the picture window is not shown"));
                return;
            }
            e.ClickImage(a.number, a.x, a.y);
            return;
        case ScriptAction::Kind::Overlay:
            if (!e.pictures().windowVisible ||
                !e.pictures().overlays[a.number - PictureModel::kFirstOverlay].visible) {
                Warn(a, Format(_("overlay %d is not shown"), a.number));
                return;
            }
            e.ClickOverlay(a.number);
            return;
        case ScriptAction::Kind::Toggle:
            if (const bool* now = e.options().Named(a.text)) e.SetOption(a.text, !*now);
            return;
        case ScriptAction::Kind::MusicEnd:
            // Only a piece that plays can end.
            if (m_Audio.music.empty()) {
                Warn(a, _("no music is playing"));
                return;
            }
            m_Audio.music.clear();
            e.MusicEnded();
            return;
        case ScriptAction::Kind::Answer:
        case ScriptAction::Kind::Prompt:
        case ScriptAction::Kind::SaveFile:
            return;  // queued by DeliverNext
    }
}

void ScriptHost::Fail(const ScriptAction& a, int exitCode, const std::string& message) {
    m_Failure.exitCode = exitCode;
    m_Failure.message = Format(_("script line %d: %s"), a.line, message);
    m_Engine->RequestStop();
}

void ScriptHost::Warn(const ScriptAction& a, const std::string& message) {
    std::cerr << "tarvik-cli: " << Format(_("script line %d: %s; ignored"), a.line, message) << "\n";
}

// Events are delivered inside the waits of anykey, input and quit, one per call, as a player's action would
// arrive during the wait; a pause never sleeps. When the script has nothing left the play is over, so the
// wait and every run around it end.
void ScriptHost::Wait(WaitReason why, int) {
    if (why == WaitReason::Pause || failed() || m_Engine->Stopping() || PastDeadline()) return;
    if (!DeliverNext()) m_Engine->RequestStop();
}

int ScriptHost::MessageBox(const std::string& text, const std::string& title, int style) {
    m_Messages.push_back({title, text});
    if (m_Answers.empty()) QueueLeadingAnswers();  // a dialog before any event takes the answers that lead
    if (m_Answers.empty()) return MessageBoxButtons(style).answers.front();  // what Enter presses
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

void ScriptHost::PlaySound(const std::string&, const std::string& named) {
    m_Audio.sounds.push_back(named);
}

// A file that is not there leaves the channel silent, as a real player would.
void ScriptHost::PlayMusic(const std::string& path, const std::string& named) {
    m_Audio.musicStarted.push_back(named);
    std::error_code ec;
    m_Audio.music = std::filesystem::is_regular_file(path, ec) ? named : std::string();
}

void ScriptHost::StopMusic() {
    m_Audio.music.clear();
}

void ScriptHost::SetCaption(const std::string& caption) {
    std::cerr << "tarvik-cli: " << text::Cp1251ToUtf8(caption) << "\n";
}

void ScriptHost::ShowHtmlPage(const std::string& page, const std::string&, const std::string&) {
    m_HtmlPages.push_back(page);
}

}  // namespace tarvik::cli
