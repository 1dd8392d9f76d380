// The host of scripted play: the player's events come from a script, dialogs are answered from queued
// answers, nothing sleeps, and every dialog shown is recorded for the dump.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "cli/dump.h"
#include "cli/script.h"
#include "cli/warnings.h"
#include "engine/engine.h"

namespace tarvik::cli {

class ScriptHost : public Host {
public:
    explicit ScriptHost(std::vector<ScriptAction> actions);

    void Attach(Engine& engine) { m_Engine = &engine; }

    // Delivers the script's events one after another while the game is not waiting inside a statement, until
    // the script is used up or an action fails. Call after the quest has been opened.
    void RunToEnd();
    // Runs after every event the script delivered, once the engine has returned from it.
    void SetAfterAction(std::function<void()> afterAction) { m_AfterAction = std::move(afterAction); }

    // An action that could not be carried out; the play stopped there.
    struct Failure {
        int exitCode = 0;
        std::string message;  // UTF-8, names the script line
    };
    bool failed() const { return m_Failure.exitCode != 0; }
    const Failure& failure() const { return m_Failure; }

    const std::vector<ShownMessage>& messages() const { return m_Messages; }
    const std::vector<ShownInput>& inputs() const { return m_Inputs; }
    const AudioRecord& audio() const { return m_Audio; }
    const std::vector<std::string>& htmlPages() const { return m_HtmlPages; }

    // Host
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string& title, const std::string& filter) override;
    DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                const std::string& folder) override;
    // Audio: recorded, never played; a scripted run opens no audio device.
    void PlaySound(const std::string& path, const std::string& named) override;
    void PlayMusic(const std::string& path, const std::string& named) override;
    void StopMusic() override;

    // Time limit: past `deadline` the play stops and fails with exit code 4.
    void SetDeadline(std::chrono::steady_clock::time_point deadline) {
        m_Deadline = deadline;
        m_HasDeadline = true;
    }
    void ProcessEvents() override;
    // Network include progress, written to stderr.
    void SetCaption(const std::string& caption) override;
    // --warnings: the quest's run-time errors go to stderr.
    void ShowWarnings(bool on) { m_Warnings = on; }
    void Diagnose(const Diagnostic& diagnostic) override {
        if (m_Warnings && m_Engine) m_WarningPrinter.Print(diagnostic, *m_Engine, std::cerr);
    }
    void ShowHtmlPage(const std::string& page, const std::string& pageFile,
                      const std::string& baseFolder) override;

private:
    bool m_Warnings = false;
    WarningPrinter m_WarningPrinter;
    bool PastDeadline();
    std::chrono::steady_clock::time_point m_Deadline;
    bool m_HasDeadline = false;

    // Moves the answer, prompt and savefile actions that stand next in the script into their queues.
    void QueueLeadingAnswers();
    // Queues the answers that stand next in the script and delivers the event after them. False when the
    // script has no event left.
    bool DeliverNext();
    void Deliver(const ScriptAction& a);
    void Fail(const ScriptAction& a, int exitCode, const std::string& message);
    void Warn(const ScriptAction& a, const std::string& message);

    Engine* m_Engine = nullptr;
    std::function<void()> m_AfterAction;
    std::deque<ScriptAction> m_Script;
    std::deque<int> m_Answers;
    std::deque<std::string> m_Prompts;
    std::deque<std::string> m_SaveFiles;
    std::deque<std::string> m_LoadFiles;  // the path of the loadgame action being delivered
    std::vector<ShownMessage> m_Messages;
    std::vector<ShownInput> m_Inputs;
    std::vector<std::string> m_HtmlPages;
    Failure m_Failure;
    AudioRecord m_Audio;
};

// The exit code of a scripted or dump run that outlived its --timeout.
inline constexpr int kExitTimeout = 4;

}  // namespace tarvik::cli
