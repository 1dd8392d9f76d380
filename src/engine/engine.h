// The quest interpreter: one object owns the whole game (program store, run state, variables, screen model,
// buttons, inventory) and carries the language's routines as methods.
//
// The routine names (LoadQuest, RunLabel, Obr, Do_Perem, Calc, Vern, Skb, Subst, ...) are those the quest
// language has always used for them and keep their spelling, like the fields they work on; everything else
// follows the house style. Routines take texts by reference and may rewrite them: a caller that needs its
// text unchanged keeps a copy. All engine strings hold code page 1251 bytes.
#pragma once

#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/host.h"
#include "engine/net.h"
#include "engine/program_store.h"
#include "engine/value.h"
#include "files/page_folder.h"
#include "text/text.h"

namespace tarvik {

// A run-time error inside a statement routine. It ends that routine; the executor goes on with its next step.
struct QuestError : std::runtime_error {
    explicit QuestError(const char* where) : std::runtime_error(where) {}
};

// One coloured piece of the story text.
struct TextRun {
    std::string text;
    int32_t color = 0;
    bool modeColour = false;  // printed in the colour mode's own text colour, so it follows a mode switch
};

// An entry of the inventory list: items first, the fixed "Инвентарь" entry last.
struct InvEntry {
    std::string text;
    int32_t count = 0;
};

// The player's menu options that the game reads.
struct Options {
    bool Soobit = true;    // "Без событий": no item messages
    bool clk = false;      // "Один клик": a single click chooses a button
    bool Zvuk = true;      // "Звук": play statements sound
    bool Music = true;     // "Музыка": music plays
    bool SvBlock = false;  // "Блок": the quest may not change the look or the inventory panel
    bool inv = false;      // "Инвентарь": the inventory panel is shown

    // The option whose field is named `name` (ASCII letter case aside), or nullptr.
    bool* Named(std::string_view name);
    const bool* Named(std::string_view name) const { return const_cast<Options*>(this)->Named(name); }
};

enum class ColourMode { Normal, Dos };

// Limits that keep a hostile or broken quest from exhausting memory or the stack. Reaching one is never an
// error the player sees: the affected step simply stops there.
struct Limits {
    static constexpr int kMaxRunNesting = 200;         // nested runs (proc calls, runs started inside waits)
    static constexpr int kMaxEvalDepth = 400;          // nested Calc/Vern/Skb calls
    static constexpr uint32_t kMaxEvalSteps = 100000;  // Calc/Vern/Skb calls for one outermost expression
    static constexpr int kMaxSubstitutions = 10000;    // replacements of #...$ forms in one line
    static constexpr size_t kMaxLineLength = 1 << 24;  // a substituted line stops growing here
    static constexpr int kMaxIncludeDepth = 32;        // an include inside an include inside ...
    static constexpr int kMaxIncludes = 10000;         // expansions in one load
    static constexpr size_t kMaxQuestText = 256u << 20;  // total text a load may assemble

    // Hostile input: what a quest may grow at run time, and what may be read from disk.
    static constexpr int kMaxChainNesting = 200;         // a chain piece whose if brings a chain of its own
    static constexpr size_t kMaxTextValue = 16u << 20;   // one text value
    static constexpr size_t kMaxScreenText = 64u << 20;  // the story text on screen (and the HTML buffer)
    static constexpr size_t kMaxVariables = 1000000;     // variables
    static constexpr size_t kMaxVariableText = 256u << 20;  // all text values together
    static constexpr size_t kMaxButtons = 10000;            // buttons on screen
    static constexpr uint64_t kMaxQuestFile = 256u << 20;   // a quest or included file
    static constexpr uint64_t kMaxSavedGame = 256u << 20;   // a saved game
};

// A picture slot of the main window or an overlay of the picture window, as the quest last set it.
struct PictureState {
    std::string file;  // the shown file as the quest named it (after the ImageType extension); empty: none
    int top = 0;       // slots: pixels of the main window; overlays: twips of the picture window
    int left = 0;
    bool visible = false;
    bool used = false;  // set by the quest at least once
};

// What the main window and the picture window show.
struct PictureModel {
    static constexpr int kSlots = 128;
    static constexpr int kFirstOverlay = 2;
    static constexpr int kLastOverlay = 101;
    std::vector<PictureState> images = std::vector<PictureState>(kSlots);  // slot i at [i - 1]
    std::string background;  // the main window's picture, as named by style_formpicture; empty: none
    bool windowVisible = false;
    std::string image;    // the picture window's main picture as named (after the extension); empty: none
    std::string caption;  // the picture window's caption as last set (it may be set to empty)
    bool captionSet = false;
    std::vector<PictureState> overlays =
        std::vector<PictureState>(kLastOverlay - kFirstOverlay + 1);  // overlay i at [i - 2]
};

// Whether `bytes` (code page 1251) is a saved game: its first line is "PerKill".
bool IsSavedGameText(std::string_view bytes);

class Engine {
public:
    explicit Engine(Host& host);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- Fronts: opening, options, events
    // ------------------------------------------------------------------

    // Opens a quest by its path in the file system's form (UTF-8) and runs it until it first waits.
    void OpenQuest(const std::string& nativePath);
    // Opens a quest and takes up its kept game (a saved-game text) in place of the opening: the program is
    // loaded and the game restored, and the opening never runs. True when the game came back; false when the
    // load or the restore was cut short (the window closing, another quest opened meanwhile), and also when
    // `kept` is no saved game, which opens the quest as OpenQuest does.
    bool ContinueQuest(const std::string& nativePath, const std::string& kept);
    // "Новая игра": reloads the open quest from disk.
    void NewGame();

    Options& options() { return m_Options; }
    const Options& options() const { return m_Options; }
    ColourMode colourMode() const { return m_ColourMode; }
    void SetColourMode(ColourMode mode) { m_ColourMode = mode; }
    void Seed(uint32_t seed) { SeedAt(seed, 0); }

    // The player's actions. The button list and the inventory list are disabled while the input line waits:
    // their clicks and keys then do nothing (a selection made on the way stays).

    // Selection in the button list; -1 for none.
    void SelectButton(int index);
    // Actions on the button list at entry `index`, which they select first; with -1 (beside the entries), or
    // an index the list does not have, they act on the selection as it stands.
    // A double click: chooses the button.
    void ChooseButton(int index);
    // A press of any mouse button: on an empty list it completes a waiting anykey with Enter, and in
    // one-click mode it chooses.
    void ClickButtonList(int index);
    // A key: Enter chooses; any other key, and Enter on an empty list, completes a waiting anykey.
    void PressButtonListKey(int index, int code);
    // Any other key the player presses in the window.
    void PressKey(int code);
    // Enter in the input line; `typed` is the line's whole text. A leading ">" is the prompt and is dropped,
    // so a front must not strip it itself (the player may have typed another).
    void SubmitLine(const std::string& typed);

    // A click on inventory entry `index` (the fixed final entry included).
    void ClickItem(int index);
    // Picks action `index` in the action chooser without running it.
    void SelectAction(int index);
    int selectedAction() const { return m_Combo1Index; }
    // Picks action `index` in the chooser and runs it; nothing when no such action is offered.
    void ChooseAction(int index);
    // Runs an action of the clicked entry by its text (the pop-up menu's entries).
    void RunItemAction(const std::string& action);
    // Ticks or unticks the menu option named as its field in Options ("Zvuk", "inv", ...; letter case aside).
    // Sound or music switched off silences its channel; "inv" shows or hides the inventory panel. False, with
    // nothing done, for a name that is no option.
    bool SetOption(std::string_view name, bool on);

    // "Загрузить игру": asks for a saved game and restores it.
    void RestoreGame();
    // The folder the restore dialog starts in (UTF-8); empty leaves the choice to the host.
    void SetQuestsFolder(const std::string& utf8Folder) { m_QuestsFolder = utf8Folder; }

    // Ends every wait and run as soon as possible (the front is closing or a script has run out).
    void RequestStop();
    bool Stopping() const { return m_Stopping; }
    // True while a WaitMs is counting; Host::Wait returns when it turns false.
    bool TimerRunning() const { return m_TimerRunning && !m_Stopping; }

    // ---- What the game waits for
    // "input", "anykey", "pause" or "quit" while such a statement waits (the innermost one when waits nest),
    // "" when the game only waits for a choice. A wait ended by RequestStop stays reported, so a state taken
    // after a script ran out still tells where the game stood.
    const char* waitingFor() const { return m_WaitingFor; }

    // ---- After a run, and colour mode switches
    // Offers the actions of the selected inventory entry anew; run when a button's or an action's run ends.
    void RefreshItemActions();
    // Switches the colour mode: the mode's colour variables are assigned, and text printed in the old mode's
    // own text colour takes the new one; text the quest coloured itself keeps its colour.
    void SwitchColourMode(ColourMode mode);
    // The text colour a colour mode assigns to Style_TextColor.
    static int32_t ModeTextColour(ColourMode mode);

    // ---- The screen model ---------------------------------------------------------------------------------

    const std::vector<TextRun>& textRuns() const { return m_TextRuns; }
    std::string ScreenText() const;
    const std::vector<std::string>& buttons() const { return m_List1; }
    const std::vector<std::string>& buttonLabels() const { return m_BtnLabels; }
    const std::vector<std::string>& buttonCommands() const { return m_BtnCommands; }
    int selectedButton() const { return m_List1Index; }
    const std::vector<InvEntry>& inventory() const { return m_lstItems; }
    int invLast() const { return m_InvLast; }
    int selectedItem() const { return m_lstItemsIndex; }
    const std::vector<std::string>& itemActions() const { return m_Combo1; }
    bool actionsEnabled() const { return m_Combo1Enabled; }
    bool htmlVisible() const { return m_Frame1Visible; }
    const std::string& htmlBuffer() const { return m_HtmlBuffer; }
    bool inputVisible() const { return m_Text1Visible; }
    const std::vector<std::string>& varNames() const { return m_VarNames; }
    // The stored value of a variable, or nullptr.
    const Value* FindVariable(std::string_view name) const;

    // The program store's lines. Index i is line i of the quest file (counting from 1; index 0 is always
    // empty) until a comment spanning lines, a continued line, an "end:" or an include shifts the lines after
    // it. Diagnostics and reached labels name lines by this index.
    const ProgramStore& programLines() const { return m_Program; }
    const std::string& labelList() const { return m_Program.labelList(); }
    const std::string& questPath() const { return m_QuestPath; }
    const std::string& questFolder() const { return m_QuestFolder; }
    int LabelLine(std::string_view labelLine) const;  // -1 when absent

    // ---- Loader
    // ----------------------------------------------------------------------------------------------

    std::string m_QuestFile;  // the path to open (code page 1251 form)
    void LoadQuest(std::string& questFile);
    // LoadQuest without the run from the first line; false when a newer load replaced this one.
    bool LoadProgram(std::string& questFile);
    bool FileExists(const std::string& path) const;
    // A quest-side (code page 1251) path as the file system spells it: "\" turned into "/", letter case
    // matched.
    std::string NativePath(const std::string& path) const;

    // ---- Run loop, executor, reset
    // -----------------------------------------------------------------------------

    void RunLabel(int& level, std::string& line);
    std::string DoIf(std::string t);
    void Obr(std::string& s, bool f, int level);
    void ResetGame();
    void ClearInventoryList();
    void ResetAppearance();

    // ---- Variables
    // --------------------------------------------------------------------------------------------

    void Do_Perem(std::string& s);
    void AssignText(std::string& t);
    void KillVariables();
    void StoreKeyPress(const std::string& code);

    // ---- Expressions and substitution
    // ------------------------------------------------------------------------

    Value Calc(std::string& e);
    bool Vern(std::string& c);
    std::string Skb(std::string& s);
    std::string& Subst(std::string& s);
    std::string CalcFunctions(std::string& s);

    // ---- Text output
    // -------------------------------------------------------------------------------------------

    void PrintText(const std::string& t);
    void PrintLine(const std::string& t);
    void ClearScreen();
    void ClearText();
    void ClearButtons();
    void ShowPage();
    void do_style();

    // ---- Buttons
    // -----------------------------------------------------------------------------------------------

    void AddButton(const std::string& arg);
    void AddCommandButton(const std::string& arg);
    // The sequence of a choice of the selected button (ChooseButton(index) is the player's).
    void ChooseButton();

    // ---- Inventory
    // ---------------------------------------------------------------------------------------------

    void GiveItem(const std::string& arg);
    void TakeItem(const std::string& arg);
    void KillItem(const std::string& arg);
    void SetInventoryVisible(const std::string& arg);
    void ListItemActions();
    int FindItem(std::string_view name) const;  // index among 0..InvLast, or -1

    // ---- Waiting
    // -----------------------------------------------------------------------------------------------

    void InputLine(const std::string& arg);
    void InputDialog(const std::string& arg);
    void PauseRun(const std::string& arg);
    void WaitKey(const std::string& arg);
    void QuitRun();

    // ---- Message boxes
    // -----------------------------------------------------------------------------------------

    void ShowMessageBox(const std::string& arg);

    // ---- Saved games
    // -----------------------------------------------------------------------------------------
    void SaveGame(const std::string& arg);
    // The text of a saved game as `save` with argument `arg` writes it. With `exactTypes` a text variable
    // that reads as a number comes back as text (kept games and undo steps; `save` files keep their format).
    std::string SavedGameText(const std::string& arg, bool exactTypes = false) const;
    // Resets the game and runs a saved game's text; false when the restore was cut short (the engine is
    // stopping, or a player event started another game meanwhile).
    bool RestoreGameText(const std::string& bytes);
    // Applies a screen, button, item, jump or variable line of a saved game straight to its routine.
    void RestoreLine(const std::string& plain);

    // ---- Pictures and styles
    // --------------------------------------------------------------------------------------------

    const PictureModel& pictures() const { return m_Pictures; }
    void ShowFormPictures();
    std::string WithImageType(const std::string& name);
    void UpdatePictureWindow();
    // The mode's colour variables, as the colour-mode menu items assign them.
    void AssignModeColours();
    // Player events on pictures: a click on main-window slot `slot` (1..128); a press of `button` (1 left, 2
    // right, 4 middle) on the picture window's main picture at x, y twips from its top left; a click on
    // overlay `overlay` (2..101).
    void ClickSlot(int slot);
    void ClickImage(int button, double xTwips, double yTwips);
    void ClickOverlay(int overlay);

    // ---- Author tools
    // Hands a run-time error to the host (Host::Diagnose) with the line being run; nothing while the game is
    // stopping or resetting, when errors only tell that a run was cut short.
    void Diagnose(const char* routine, std::string message) const;
    // Where the run stands while the game waits inside a statement: the line each call level goes on from
    // and the rest of its chain, with what it waits for. Two waits with the same place and the same saved
    // game go on alike.
    std::string RunPlace() const;
    // The random generator as `Seed(seed)` and then `draws` numbers drawn leave it; randomDraws() counts the
    // numbers drawn since the last seeding.
    void SeedAt(uint32_t seed, uint64_t draws);
    uint64_t randomDraws() const { return m_RandomDraws; }

    // ---- Continue, undo and transcript: front conveniences built on the saved-game writer; they never
    // change how a quest runs.
    static constexpr size_t kUndoSteps = 100;
    // A quest is loaded and waits for the player's choice, inside no run, wait or reset.
    bool AtRest() const;
    // The saved-game text of the game to keep when the player leaves it: the game as it is when at rest,
    // else as it stood when the player's running action began. Empty when there is nothing to keep: no
    // quest, a quest that has quit, or a first run that never came to rest.
    std::string KeptGameText() const;
    // Restores a kept or undone game without the item messages a loaded game would show; false as for
    // RestoreGameText.
    bool RestoreQuietly(const std::string& bytes);
    // "Ход назад": back to the game before the last choice or item action.
    bool CanUndo() const { return AtRest() && !m_UndoSteps.empty(); }
    size_t undoSteps() const { return m_UndoSteps.size(); }
    bool Undo();
    // Drops the undo steps and the running action's start (another quest or a new game begins).
    void ForgetPast();
    // "Запись сеанса": every page shown, button chosen, item used and line typed, as UTF-8 text. `nativePath`
    // is UTF-8; false when the file cannot be written.
    bool StartTranscript(const std::string& nativePath);
    void StopTranscript();
    bool TranscriptOn() const { return m_Transcript != nullptr; }
    // Writes what the player sees now that the transcript does not hold yet.
    void NotePage();
    // Writes one line the player gave (a chosen button, an item action, a typed line).
    void NotePlayer(const std::string& said);

    // ---- Reload in place: the quest is read from disk again and the player's steps since the game began
    // are taken again on it. A game that began from a restored text (a loaded, kept or undone game) begins
    // from that text again.
    struct ReplayStep {
        enum class Kind { Button, ItemAction, Line, Key, Answer, Input, Slot, Image, Overlay };
        Kind kind = Kind::Button;
        int number = 0;        // button index, message box answer, slot, overlay or mouse button
        double x = 0, y = 0;   // Image: twips from the main picture's top left
        std::string text;      // button caption, item action, typed line, input answer, key code
        std::string item;      // ItemAction: the item's name
        bool accepted = true;  // Input: the dialog was not cancelled
    };
    const std::vector<ReplayStep>& replaySteps() const { return m_ReplaySteps; }
    // Reloads the playing quest and replays its steps. Message boxes and input dialogs are answered as they
    // were, pauses do not wait, and a save dialog counts as cancelled. A button or item that the edited quest
    // no longer offers stops the replay before that step: `stopped` gets the reason (code page 1251), maybe
    // before Reload returns, and the game goes on from there. Returns once the replay has come to rest; when
    // the last step leaves the game waiting inside a statement, that wait is the player's, and Reload returns
    // only after it.
    void Reload(const std::function<void(const std::string&)>& stopped);
    bool Replaying() const { return m_Replaying; }

    // ---- Tokens, counters, jumps
    // -------------------------------------------------------------------------------

    void SplitTokens(const std::string& arg);
    void CountVisit(const std::string& arg);
    // False when the quest has no such label (the run at `level` then ends).
    bool GotoLabel(const std::string& label, int level);
    void CallProc(const std::string& label, int level);

    // ---- Music and sounds
    // ---------------------------------------------------------------------------------------

    void PlaySound(const std::string& arg);
    void PlayMusic();
    // The music channel finished its piece by itself (Host::PlayMusic says when).
    void MusicEnded();

    // ---- Network include
    // -----------------------------------------------------------------------------------

    // The client that network includes go through, owned by the front; with none they ask nothing and bring
    // nothing.
    void SetHttpClient(HttpClient* client) { m_Http = client; }
    // The text an "include http://..." (or https://) brings, after asking the player; empty when nothing.
    std::string NetInclude(const std::string& address);
    bool IsOnline();
    std::string FetchUrl(const std::string& address);
    // Counts game resets: a load or run that sees it change has been replaced by a newer one.
    uint32_t gameNumber() const { return m_Game; }
    // The size the server announced; 0 when it announced none, and after a download.
    int32_t m_IncludeSize = 0;
    HttpClient* m_Http = nullptr;

    // ---- HTML view
    // -------------------------------------------------------------------------------------------

    void SetHtmlView(const std::string& arg);
    // Writes the collected page to the page file and hands it to the host; throws QuestError, keeping the
    // buffer, when the file cannot be written.
    void ShowHtml();
    // The private folder of the page file; empty until a page has been shown.

private:
    friend class EngineTestAccess;

    // Continue, undo and transcript state.
    // Scope of a player's choice or item action: one started at rest leaves an undo step and is what a game
    // left during its run keeps; the page it leads to goes to the transcript when it ends.
    class PlayerAction {
    public:
        PlayerAction(Engine& engine, const std::string& said);
        ~PlayerAction();
        PlayerAction(const PlayerAction&) = delete;
        PlayerAction& operator=(const PlayerAction&) = delete;

    private:
        Engine& m_Engine;
        bool m_FromRest = false;
    };
    std::deque<std::string> m_UndoSteps;
    std::string m_ActionFrom;  // the saved-game text of the rest the running action began from
    std::unique_ptr<std::ofstream> m_Transcript;
    std::string m_TranscriptScreen;                // the screen text as the transcript last wrote it
    std::vector<std::string> m_TranscriptButtons;  // the buttons as last written
    bool m_TranscriptLineOpen = false;             // the last text written did not end its line

    // Reload in place (reload.cpp).
    std::vector<ReplayStep> m_ReplaySteps;  // since the game began
    std::string m_ReplayFrom;         // the saved-game text the game began from; empty: the quest's start
    std::deque<ReplayStep> m_Replay;  // steps still to replay
    size_t m_ReplayTotal = 0;
    bool m_Replaying = false;
    std::function<void(const std::string&)> m_ReplayStopped;
    void NoteStep(ReplayStep step);
    // Takes the next step; false when the replay stopped at it.
    bool ReplayNext();
    void StopReplay(const std::string& reasonUtf8);
    // Called by WaitMs: true when the replay took the wait's place.
    bool ReplayInWait(WaitReason why);
    // The quest's questions, answered from the replay while it runs.
    int Ask(const std::string& text, const std::string& title, int style);
    DialogResult AskInput(const std::string& prompt, const std::string& title);

    // Expression internals (expressions.cpp, substitution.cpp).
    Value CalcInner(std::string& e);
    bool VernInner(std::string& c);
    Value Arithmetic(char op, const Value& a, const Value& b);
    int CompareValues(const Value& a, const Value& b);
    float NextRandom();  // uniform in [0, 1), single precision
    void ReportExpressionError(const char* what);
    static constexpr uint64_t kEvalWorkBetweenEvents = 8u << 20;  // characters the evaluator goes through
    uint64_t m_EvalWork = 0;
    void CountEvalWork(size_t chars);
    void LetFrontInDuringEval();
    Value LookupVariable(std::string_view name) const;
    void StoreVariable(const std::string& name, Value v);
    void SetInventoryCount(const std::string& item, const Value& v);
    void SetZotInv();
    void Message(const std::string& text, const std::string& title);
    bool FetchLine(int level, std::string& cur);
    void WaitMs(WaitReason why, int ms);
    std::string ItemNameOf(int index) const;
    void Changed(unsigned parts) { m_Host.ScreenChanged(parts); }
    void MissingLabel(const char* routine, const std::string& labelArg);

    Host& m_Host;
    Options m_Options;
    ColourMode m_ColourMode = ColourMode::Normal;
    std::mt19937 m_Random{std::random_device{}()};
    uint64_t m_RandomDraws = 0;

    // Program store.
    std::string m_QuestPath;
    std::string m_QuestFolder;
    std::string m_QuestPathNative;    // the same path as the file system spells it
    std::string m_QuestFolderNative;  // with its trailing "/"
    std::string m_OpenedNative;       // the path OpenQuest was given, until LoadQuest takes it
    std::string m_QuestsFolder;       // where the restore dialog starts (UTF-8)
    ProgramStore m_Program;

    // Run state, per call level.
    std::vector<int32_t> m_NextLine;
    std::vector<int16_t> m_ChainState;
    std::vector<std::string> m_PendingChain;
    std::vector<size_t> m_PendingFrom;  // where the rest of the pending chain starts
    bool m_Running = false;
    bool m_HtmlMode = false;
    std::string m_HtmlBuffer;
    bool m_QuitWait = false;
    bool m_PauseDone = false;
    bool m_AnykeyDone = false;
    bool m_AnykeyWaiting = false;
    std::string m_AnykeyVariable;
    bool m_InputWait = false;
    std::string m_InputVar;
    bool m_TimerRunning = false;
    bool m_Stopping = false;
    const char* m_WaitingFor = "";  // see waitingFor()
    int m_RunNesting = 0;
    int32_t m_CurrentLine = 0;  // the program line being run; 0 for none (see programLines())
    uint32_t m_Game = 0;        // counts game resets; a run stops when the game it ran in has been replaced
    bool m_Resetting = false;   // inside ResetGame: player events wait until it is done
    uint32_t m_Cycles = 0;      // run loop cycles, for letting the front in during long runs
    int m_EvalDepth = 0;
    uint32_t m_EvalSteps = 0;  // evaluator calls made for the current outermost expression

    // Hostile input.
    int m_ChainNesting = 0;     // chain pieces being run inside chain pieces
    size_t m_VariableText = 0;  // bytes of text held by variables

    // Variable store.
    std::unordered_map<std::string, Value, text::NoCaseHash, text::NoCaseEqual> m_VarValues;
    std::vector<std::string> m_VarNames;
    bool m_StyleDirty = false;

    // Pictures.
    PictureModel m_Pictures;
    // A picture file named by the quest, looked up as the file system spells it; empty when missing.
    std::string FindPicture(const std::string& name, bool currentFolderFirst) const;
    // Runs a click procedure with `flag` set to `value` around it.
    void RunPictureClick(const std::string& flag, const std::string& value, const std::string& statement);

    // Screen model.
    std::vector<TextRun> m_TextRuns;
    size_t m_TextLength = 0;
    bool m_Frame1Visible = false;
    bool m_Text1Visible = false;

    // Buttons: BtnLabels and BtnCommands never shrink when the list is cleared.
    std::vector<std::string> m_List1;
    std::vector<std::string> m_BtnLabels;
    std::vector<std::string> m_BtnCommands;
    int m_List1Index = -1;

    // Inventory: item entries 0..InvLast, then the fixed "Инвентарь" entry.
    std::vector<InvEntry> m_lstItems;
    int m_InvLast = -1;
    int m_lstItemsIndex = -1;
    std::vector<std::string> m_Combo1;  // actions of the clicked entry (also the pop-up menu's invS items)
    int m_Combo1Index = -1;
    bool m_Combo1Enabled = false;

    // HTML view: where its page file is written.
    HtmlPageFolder m_PageFolder;

    // ---- Lookup indexes and prepared lines ----------------------------------------------------------------

    // Item entries 0..InvLast carry increasing sequence numbers (entries are only ever added at the end), so
    // an entry's position is found from its number by a binary search; the names map to the numbers.
    std::vector<uint64_t> m_ItemSeq;
    std::unordered_multimap<std::string, uint64_t, text::NoCaseHash, text::NoCaseEqual> m_ItemIndex;
    uint64_t m_NextItemSeq = 0;
    void InsertItemEntry(std::string entryText, int32_t count);
    void RemoveItemEntry(int index);
    void SetItemEntryText(int index, std::string entryText);
    int FindItemSlow(std::string_view wanted) const;
    uint8_t m_FetchedFlags = ProgramStore::kLineAll;  // what the line being run holds, see ProgramStore
    bool CountVisitQuickly(const std::string& name);
    static bool AssignmentActs(std::string_view name);
    // A name Calc reads straight from the store: a letter or "_", then letters, digits and "_", and none of
    // the names it computes (inv_…, RND…, TIME).
    static bool IsPlainVariableName(std::string_view name);
    const Value* PlainTextVariable(std::string_view expr) const;

    // ---- Texts grown in place
    // ------------------------------------------------------------------------------

    // The variable `name` ready to take a value holding `textSize` bytes of text: the store's limits are
    // checked (throwing as StoreVariable does, before anything changes) and a new variable is created.
    Value& VariableSlot(std::string_view name, size_t textSize);
    // instr with the text s[from..] (one blank appended), when it would store that text unchanged: the line's
    // storage becomes the value and s is left empty. False, with nothing done, for any other text.
    bool AssignTextQuickly(std::string& s, size_t from);
    // name=expr when the value would be the variable's own text with a quoted text after it (s=s+"ab"):
    // that text is appended where the variable holds it. False, with nothing done, for any other statement.
    bool AppendTextQuickly(std::string_view name, std::string_view expr);
    // Counts the clearings of the variable store: an entry found before the front was let in is still the
    // same entry afterwards when the count has not moved.
    uint64_t m_VariableClears = 0;
    // The key a goto looks its label up by, kept so that a jump builds it without allocating.
    std::string m_LabelKey;
};

}  // namespace tarvik
