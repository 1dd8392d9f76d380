// Interactive play in a terminal: the page text in UTF-8 (in its colours where the terminal shows them), the
// numbered buttons and the inventory, and a prompt for the player's choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <iostream>
#include <string>

#include "cli/warnings.h"
#include "engine/engine.h"
#include "media/audio.h"

namespace tarvik::cli {

// Quest text as a terminal may show it: UTF-8, plain line breaks, no control characters.
std::string TerminalText(const std::string& cp1251);
// The page without colours: the text, then the numbered buttons.
void PrintPage(const Engine& engine, std::ostream& out);

class TerminalHost : public Host {
public:
    TerminalHost(std::istream& in, std::ostream& out, bool colour);

    void Attach(Engine& engine) { m_Engine = &engine; }

    // Makes Ctrl+C end the play cleanly; a second Ctrl+C ends the program at once.
    static void InstallInterruptHandler();
    // True when `out` should get colours: a terminal that is not "dumb", and NO_COLOR unset.
    static bool ColourWanted(int fd);

    void Greet(const std::string& questName);
    // The player's turn, again and again, until they quit or the input ends. Call after the quest is open.
    void Play();
    // Runs after every line the player gave at the prompt, once the engine has returned from it.
    void SetAfterAction(std::function<void()> afterAction) { m_AfterAction = std::move(afterAction); }
    void Farewell();

    // Host
    void ScreenChanged(unsigned parts) override;
    void ProcessEvents() override;
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string& title, const std::string& filter) override;
    DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                const std::string& folder) override;
    // Network include progress, written to stderr.
    void SetCaption(const std::string& caption) override;
    // --warnings: the quest's run-time errors go to stderr.
    void ShowWarnings(bool on) { m_Warnings = on; }
    void Diagnose(const Diagnostic& diagnostic) override {
        if (m_Warnings && m_Engine) m_WarningPrinter.Print(diagnostic, *m_Engine, std::cerr);
    }

    // Audio: played on `audio` (not owned) when one is given, else silent.
    void SetAudio(media::AudioPlayer* audio) { m_Audio = audio; }
    void PlaySound(const std::string& path, const std::string& named) override;
    void StopSound() override;
    void PlayMusic(const std::string& path, const std::string& named) override;
    void StopMusic() override;
    void ShowHtmlPage(const std::string& page, const std::string& pageFile,
                      const std::string& baseFolder) override;

private:
    bool m_Warnings = false;
    WarningPrinter m_WarningPrinter;
    // Hands the end of a music piece, noticed on the audio thread, to the engine.
    void DeliverAudioEvents();
    // Returns once a typed line can be read, delivering audio events while the player thinks.
    void AwaitInput();
    // The terminal's file dialog: a file name typed at a prompt; an empty line cancels.
    DialogResult AskFileName(const std::string& title, const std::string& filter);
    // Prints the story text that has not been shown yet; after the screen was cleared, a rule first.
    void ShowNewText();
    void ShowChoices();
    void ShowInventory();
    void ShowPictures();
    void ShowHelp();
    // One command of the player at the main prompt.
    void Command(const std::string& utf8Line);
    void UseItem(int entry, int action);
    bool ReadLine(const std::string& prompt, std::string& line);
    void Quit();
    bool Interrupted();
    void EndLine();

    std::string Style(const char* sgr) const;
    std::string TextColour(int32_t colour) const;

    std::istream& m_In;
    std::ostream& m_Out;
    bool m_Colour;
    Engine* m_Engine = nullptr;
    std::function<void()> m_AfterAction;
    bool m_Quit = false;

    // How far the story text has been printed: run index and bytes of that run.
    size_t m_Run = 0;
    size_t m_Offset = 0;
    bool m_ShownTextless = false;  // the run at m_Run is a rule or a picture, and has been shown
    bool m_Cleared = false;        // the screen was cleared since the text was last printed
    bool m_AtLineStart = true;     // the terminal's cursor is at the start of a line
    bool m_ChoicesStale = true;    // the buttons or the inventory changed since they were last shown
    media::AudioPlayer* m_Audio = nullptr;
    std::string m_LastHtmlPage;  // the HTML view's page, for showing again
};

}  // namespace tarvik::cli
