// The narrow interface through which the engine reaches the outside world. The engine owns the model of what
// is shown (text runs, buttons, inventory, actions, input line, HTML view); a host renders it, asks the
// player, plays media and delivers the player's events back to the engine's event methods.
//
// Everything runs on one thread. Any method that delivers player events (ProcessEvents, Wait) may re-enter
// the engine: a button chosen during a wait starts a nested run inside that call. Strings crossing this
// interface are code page 1251 unless marked as paths, which are UTF-8 in the file system's own form.
#pragma once

#include <string>

namespace tarvik {

// Why the engine waits; a host may treat the kinds differently (a scripted host does not sleep for a pause).
enum class WaitReason { Pause, Anykey, Input, Quit };

// Bits for Host::ScreenChanged.
enum ScreenPart : unsigned {
    kScreenText = 1u << 0,       // text runs appended or cleared
    kScreenButtons = 1u << 1,    // button list or its selection
    kScreenInventory = 1u << 2,  // inventory entries, selection or panel visibility
    kScreenActions = 1u << 3,    // the item actions offered and their enabled state
    kScreenInput = 1u << 4,      // the input line shown or hidden
    kScreenHtml = 1u << 5,       // the HTML view shown or hidden
    kScreenPageTop = 1u << 6,    // a page is finished: show its beginning
    kScreenStyles = 1u << 7,     // style variables are to be applied
    kScreenAll = 0xffffffffu,
};

// Message box style numbers and answers are those the quest language uses (zotQuestion + ZotYN, 6 for Yes
// ...).
enum MessageAnswer : int {
    kAnswerOk = 1,
    kAnswerCancel,
    kAnswerAbort,
    kAnswerRetry,
    kAnswerIgnore,
    kAnswerYes,
    kAnswerNo
};

struct DialogResult {
    enum class State { Accepted, Cancelled };
    State state = State::Cancelled;
    std::string text;  // the typed text, or the chosen path (UTF-8) for file dialogs
    bool accepted() const { return state == State::Accepted; }
};

class Host {
public:
    virtual ~Host() = default;

    // The screen model changed; `parts` is a mask of ScreenPart bits. Must not re-enter the engine.
    virtual void ScreenChanged(unsigned parts) { (void)parts; }

    // Delivers pending player events without blocking. Called at every assignment and every 64 cycles of
    // the run loop, so a long computation keeps the window responsive and an endless quest loop can be left
    // (a new game, another quest, or Engine::RequestStop). Called often: a host whose event processing is
    // costly throttles it by time. May re-enter the engine.
    virtual void ProcessEvents() {}

    // Blocks while delivering player events until `ms` milliseconds have passed or Engine::TimerRunning()
    // turns false (a nested wait took the timer over, or the engine is stopping), whichever comes first. ms >
    // 0.
    virtual void Wait(WaitReason why, int ms) = 0;

    // A modal message box. `style` is an icon code (16, 32, 48, 64) plus a button-set code (0 to 5); the
    // result is the pressed button's MessageAnswer. A box closed without a choice answers Cancel where the
    // set has one and its first button otherwise.
    virtual int MessageBox(const std::string& text, const std::string& title, int style) = 0;

    // A modal input dialog; a cancelled dialog is reported as Cancelled, never as an empty text.
    virtual DialogResult InputBox(const std::string& prompt, const std::string& title) = 0;

    // A save-file dialog. `filter` is in the "Caption|*.ext" form.
    virtual DialogResult SaveFileDialog(const std::string& title, const std::string& filter) = 0;

    // An open-file dialog for an existing file, starting in `folder` (a UTF-8 path; empty or missing: the
    // host's own choice). `filter` is in the "Caption|*.ext" form.
    virtual DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                        const std::string& folder) = 0;

    // Seconds since local midnight, with fraction. Injectable so tests do not depend on the clock.
    virtual double SecondsSinceMidnight();

    // Media. Two independent channels: short sounds and background music. `path` is a file-system path; a
    // file that cannot be played is ignored silently. A host without audio keeps these empty defaults.
    // (Looping music at the end of a piece arrives with sound support.)
    virtual void PlaySound(const std::string& path) { (void)path; }
    virtual void StopSound() {}
    virtual void PlayMusic(const std::string& path) { (void)path; }
    virtual void StopMusic() {}

    // ---- HTML view
    // A finished page for the HTML view (which the engine has already shown, see kScreenHtml). `page` is its
    // HTML as written to the page file: code page 1251, ending in CR LF. `pageFile` is the path of that file
    // (UTF-8), replaced at the next showing and removed when the engine goes. `baseFolder` is the quest's
    // folder (UTF-8, absolute, ending in "/"), against which the page's relative links and pictures resolve.
    // Must not re-enter the engine.
    virtual void ShowHtmlPage(const std::string& page, const std::string& pageFile,
                              const std::string& baseFolder) {
        (void)page, (void)pageFile, (void)baseFolder;
    }
};

}  // namespace tarvik
