// A scripted host for quest-level tests: answers dialogs from queues, records every box shown, never sleeps,
// and runs a queue of player events whenever the engine waits for the player.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace tarvik::testing {

struct ShownBox {
    std::string text;
    std::string title;
    int style = 0;
};

class TestHost : public Host {
public:
    void ScreenChanged(unsigned parts) override { changes |= parts; }
    void ProcessEvents() override {
        if (processBudget >= 0 && --processBudget < 0) engine->RequestStop();
        if (onProcessEvents) {
            auto once = std::move(onProcessEvents);
            onProcessEvents = nullptr;
            once(*engine);
        }
    }
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string& title, const std::string& filter) override;
    DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                const std::string& folder) override;
    double SecondsSinceMidnight() override { return clock; }
    // Audio: every channel call in order, as "sound NAMED", "music NAMED", "stop sound", "stop music", with
    // the looked-up paths of the files started beside them.
    void PlaySound(const std::string& path, const std::string& named) override {
        audio.push_back("sound " + named);
        audioPaths.push_back(path);
    }
    void StopSound() override { audio.push_back("stop sound"); }
    void PlayMusic(const std::string& path, const std::string& named) override {
        audio.push_back("music " + named);
        audioPaths.push_back(path);
    }
    void StopMusic() override { audio.push_back("stop music"); }
    std::vector<std::string> audio;
    std::vector<std::string> audioPaths;

    // Pictures and the look: every call recorded in order as one line; files named in `undecodable` are
    // refused as a window refuses a file that is no picture.
    bool SetPicture(PictureSpot spot, int index, const std::string& path) override;
    void PlacePicture(PictureSpot spot, int index, int top, int left, bool visible) override;
    void ShowPictureWindow(bool visible, const std::string& caption, bool captionSet) override;
    void SetFormSize(int heightTwips, int widthTwips) override;
    void SetControlColours(bool hasFore, int32_t fore, bool hasBack, int32_t back) override;
    std::vector<std::string> look;
    std::vector<std::string> undecodable;
    // Network include progress: every caption shown, and "<restored>" for each restore.
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void RestoreCaption() override { captions.push_back("<restored>"); }

    // HTML pages shown, with the screen changes already signalled when each arrived.
    struct ShownPage {
        std::string page, file, base;
        unsigned changesBefore = 0;
    };
    void ShowHtmlPage(const std::string& page, const std::string& file, const std::string& base) override {
        htmlPages.push_back({page, file, base, changes});
    }
    std::vector<ShownPage> htmlPages;

    Engine* engine = nullptr;
    unsigned changes = 0;
    int processBudget = -1;  // when set, the engine is stopped after that many ProcessEvents calls
    std::function<void(Engine&)> onProcessEvents;  // a player action taken at the next ProcessEvents, once
    double clock = 3600.5;
    std::vector<ShownBox> boxes;
    std::vector<std::pair<std::string, std::string>> inputs;  // prompt, title
    std::deque<int> answers;                                  // message box answers
    std::deque<DialogResult> inputAnswers;
    std::deque<DialogResult> saveAnswers;
    std::deque<DialogResult> openAnswers;
    std::vector<std::pair<std::string, std::string>> openDialogs;  // title, starting folder
    // Events run one per wait (anykey, input, quit); when none is left the engine is asked to stop.
    std::deque<std::function<void(Engine&)>> waitEvents;
    std::vector<WaitReason> waits;
    std::vector<std::string> captions;
    void Diagnose(const Diagnostic& d) override { diagnostics.push_back(d); }
    std::vector<Diagnostic> diagnostics;
};

// A quest written to a fresh temporary folder; text is UTF-8 in the test source and stored as code page 1251
// with CR LF line ends.
class QuestFixture {
public:
    QuestFixture();
    ~QuestFixture();
    // Writes a file beside the quest (UTF-8 source text converted as above) and returns its path.
    std::filesystem::path WriteFile(const std::string& name, const std::string& utf8Text);
    // Writes raw bytes.
    std::filesystem::path WriteBytes(const std::string& name, const std::string& bytes);
    // Loads and runs quest text until it first waits.
    Engine& Run(const std::string& utf8Quest, uint32_t seed = 1);

    // Screen text and variable values in UTF-8, for readable assertions.
    std::string Text() const;
    std::string Var(const std::string& utf8Name) const;  // text form; "<unset>" when absent
    std::vector<std::string> Buttons() const;
    std::vector<std::string> Items() const;

    std::filesystem::path dir;
    TestHost host;
    std::unique_ptr<Engine> engine;
};

// A whole file's bytes; empty when it cannot be read.
std::string Slurp(const std::filesystem::path& p);

// One run of tarvik-cli: exit code and what it wrote.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs tarvik-cli with `args` (each quoted for the shell) and an empty stdin, so an interactive play ends at
// once; its output passes through files in `scratch`. `feed`, a shell command, gives the stdin instead, and
// `env`, shell assignments, the environment; without them the player speaks English whatever the locale.
CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                 const std::string& feed = {}, const std::string& env = {});

// UTF-8 <-> code page 1251 shorthands.
std::string W(const std::string& utf8);    // to cp1251
std::string U(const std::string& cp1251);  // to UTF-8
// A copy of the engine's program store lines.
inline std::vector<std::string> ProgramLines(const Engine& e) {
    const auto& lines = e.programLines();
    return std::vector<std::string>(lines.begin(), lines.end());
}

}  // namespace tarvik::testing
