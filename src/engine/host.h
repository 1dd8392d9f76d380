// The narrow interface through which the engine reaches the outside world. The engine owns the model of what
// is shown (text runs, buttons, inventory, actions, input line, HTML view); a host renders it, asks the
// player, plays media and hands the player's actions to the engine (NewGame, ChooseButton, SubmitLine, ...).
//
// Everything runs on one thread. Any method that delivers player events (ProcessEvents, Wait) may re-enter
// the engine: a button chosen during a wait starts a nested run inside that call. Strings crossing this
// interface are code page 1251 unless marked as paths, which are UTF-8 in the file system's own form.
#pragma once

#include <cstdint>
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

// Where a picture is shown (Host::SetPicture, Host::PlacePicture).
enum class PictureSpot { Slot, Background, Main, Overlay };

// A run-time error the engine met and passed over (Host::Diagnose).
struct Diagnostic {
    std::string routine;  // the statement or routine that met it ("goto", "Calc", "play", ...), ASCII
    std::string message;  // what went wrong, in English; names from the quest in code page 1251
    int line = 0;         // the quest line (an index of Engine::programLines(), see there); 0: none
    std::string source;   // that line's text as the program store holds it
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
    // result is the pressed button's MessageAnswer. MessageBoxButtons (engine/message_box.h) gives the
    // buttons of each style and the answer of a box closed without a choice.
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

    // ---- Diagnostics for authors
    // The quest met a run-time error that play passes over without a word, as the language always has: a
    // jump or a button to a missing label, an expression or statement that fails, a file it names that is
    // not there. Called once per error, when it happens; the run goes on as it would without the call. Must
    // not re-enter the engine. A player keeps the default and stays silent; author tools report them.
    virtual void Diagnose(const Diagnostic& diagnostic) { (void)diagnostic; }
    // The run reached the label on quest line `line` (a jump, a call, a chosen button, or running on into
    // it). Called at every label reached, so it must be cheap; must not re-enter the engine. For author
    // tools that count the labels a game reaches.
    virtual void LabelReached(int line) { (void)line; }

    // ---- Music and sounds
    // Two independent channels, each playing one file at a time. `path` is the file as the file system spells
    // it (UTF-8, already looked up: "\" turned into "/", letter case matched); `named` is the name the engine
    // built, in UTF-8, before that lookup (what a recording host reports). A file that is missing or cannot
    // be played plays nothing and reports nothing, and the quest goes on; so does a machine without an audio
    // device. A call takes as long as loading its file (a MIDI tune loads its soundfont, a tenth of a second
    // or more), never waits for the audio to play, and never re-enters the engine. A host without audio keeps
    // the empty defaults.

    // Plays `path` once on the sound channel, cutting off a sound that is still playing.
    virtual void PlaySound(const std::string& path, const std::string& named) {
        (void)path;
        (void)named;
    }
    // Silences the sound channel at once.
    virtual void StopSound() {}
    // Plays `path` once on the music channel in place of what it played (a file that cannot be played leaves
    // the channel silent). When the piece ends by itself -- not through StopMusic or another PlayMusic --
    // the host calls Engine::MusicEnded on the engine's thread, delivered like a player event (from
    // ProcessEvents, Wait or its own event loop), never from the audio thread.
    virtual void PlayMusic(const std::string& path, const std::string& named) {
        (void)path;
        (void)named;
    }
    // Silences the music channel at once; no end-of-piece event follows.
    virtual void StopMusic() {}

    // ---- Pictures and the look of the window
    // The engine keeps the picture model (Engine::pictures()); these calls hand each change to the window.
    // Paths are UTF-8 paths of existing files. A host without pictures keeps these defaults, which accept
    // every file, so its model stays what the quest asked for.

    // Decodes the picture file `path` into `spot` (a slot 1..128, the background, the picture window's main
    // picture, or an overlay 2..101 by `index`). False when the host cannot show the file (not a picture, or
    // one it refuses): the spot then keeps the picture it had. An empty path clears the spot's picture.
    virtual bool SetPicture(PictureSpot spot, int index, const std::string& path) {
        (void)spot, (void)index, (void)path;
        return true;
    }
    // Moves a slot (pixels of the main window's client area) or an overlay (twips of the picture window) and
    // shows or hides it.
    virtual void PlacePicture(PictureSpot spot, int index, int top, int left, bool visible) {
        (void)spot, (void)index, (void)top, (void)left, (void)visible;
    }
    // Shows the picture window, sized to its main picture, or hides it (never destroys it). `caption` (code
    // page 1251) is the window's caption once the quest has set one (`captionSet`), an empty one included;
    // until then the window keeps its own.
    virtual void ShowPictureWindow(bool visible, const std::string& caption, bool captionSet) {
        (void)visible, (void)caption, (void)captionSet;
    }
    // The quest's window size, in twips; 0 leaves that side as it is. A host clamps sizes no screen can
    // take.
    virtual void SetFormSize(int heightTwips, int widthTwips) { (void)heightTwips, (void)widthTwips; }
    // The quest's colours in the language's colour form (Style_TextColor, Style_BackColor): fore colour of
    // the lists and the input line, back colour of the story text, the lists and the input line. `hasFore`
    // or `hasBack` false leaves that colour as it is.
    virtual void SetControlColours(bool hasFore, int32_t fore, bool hasBack, int32_t back) {
        (void)hasFore, (void)fore, (void)hasBack, (void)back;
    }

    // Network include. While a download whose size is known runs, the window caption shows its progress
    // (`caption`, code page 1251) in place of the window's own; RestoreCaption brings the own caption back
    // and is called after every download, shown or not. Neither may re-enter the engine.
    virtual void SetCaption(const std::string& caption) { (void)caption; }
    virtual void RestoreCaption() {}

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
