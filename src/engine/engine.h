// The quest interpreter: one object owns the whole game (program store, and the game as it stands in
// EngineState: run state, variables, screen model, buttons, inventory) and carries the language's routines
// as methods.
//
// The routine names (LoadQuest, RunLabel, Obr, Do_Perem, Calc, Vern, Skb, Subst, ...) are those the quest
// language has always used for them and keep their spelling, like the fields they work on; everything else
// follows the house style. Routines take texts by reference and may rewrite them: a caller that needs its
// text unchanged keeps a copy. All engine strings hold code page 1251 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/engine_state.h"
#include "engine/host.h"
#include "engine/limits.h"
#include "engine/net.h"
#include "engine/program_store.h"
#include "engine/quest_error.h"
#include "engine/value.h"
#include "text/text.h"

namespace tarvik {

// Whether `bytes` (code page 1251) is a saved game: its first line is "PerKill".
bool IsSavedGameText(std::string_view bytes);

class Engine : public EngineState {
public:
    explicit Engine(Host& host);
    Engine(const Engine&) = delete;  // nor moved: the host and running actions hold on to it

    // ---- Fronts: opening, options, events
    // Opens a quest by its path in the file system's form (UTF-8) and runs it until it first waits.
    void OpenQuest(const std::string& nativePath);
    // Opens a quest and restores its kept game (a saved-game text) in place of the opening. False when the
    // load or restore was cut short, or `kept` is no saved game (the quest then opens as by OpenQuest).
    bool ContinueQuest(const std::string& nativePath, const std::string& kept);
    // "Новая игра": reloads the open quest from disk.
    void NewGame();

    // The player's actions. The button list and the inventory list are disabled while the input line waits:
    // their clicks and keys then do nothing (a selection made on the way stays).
    // Selection in the button list; -1 for none.
    void SelectButton(int index);
    // Actions on the button list at entry `index`, which they select first; with -1 or an index the list
    // does not have, on the selection as it stands. A double click chooses the button.
    void ChooseButton(int index);
    // A click on a link's caption in the story: chooses its entry while that is in the list.
    void ChooseLink(int link);
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
    // Ticks or unticks the Options field `name` (letter case aside), silencing a channel switched off and
    // showing or hiding the inventory panel for "inv". False, with nothing done, for no such option.
    bool SetOption(std::string_view name, bool on);
    // How the dialect is chosen for the loaded quest (judged again at once) and every later load.
    void SetDialectSwitch(DialectSwitch choice);

    // "Загрузить игру": asks for a saved game and restores it.
    void RestoreGame();
    // The folder the restore dialog starts in (UTF-8); empty leaves the choice to the host.
    void SetQuestsFolder(const std::string& utf8Folder) { m_QuestsFolder = utf8Folder; }

    // ---- After a run, and colour mode switches
    // Offers the actions of the selected inventory entry anew; run when a button's or an action's run ends.
    void RefreshItemActions();
    // Switches the colour mode: the mode's colour variables are assigned, and text printed in the old mode's
    // own text colour takes the new one; text the quest coloured itself keeps its colour.
    void SwitchColourMode(ColourMode mode);

    // The program's lines: line i of the quest file at index i (from 1) until a comment spanning lines, a
    // continued line, an "end:" or an include shifts those after it. Diagnostics name lines by this index.
    const ProgramStore& programLines() const { return m_Program; }
    const std::string& labelList() const { return m_Program.labelList(); }
    const std::string& questPath() const { return m_QuestPath; }
    const std::string& questFolder() const { return m_QuestFolder; }
    int LabelLine(std::string_view labelLine) const;  // -1 when absent

    // ---- Loader
    void LoadQuest(std::string& questFile);
    // LoadQuest without the run from the first line; false when a newer load replaced this one.
    bool LoadProgram(std::string& questFile);
    void DecideDialect();
    bool FileExists(const std::string& path) const;
    // A quest-side (code page 1251) path as the file system spells it: "\" turned into "/", letter case
    // matched.
    std::string NativePath(const std::string& path) const;

    // ---- Run loop, executor, reset
    void RunLabel(int& level, std::string& line);
    std::string DoIf(std::string t);
    void Obr(std::string& s, bool f, int level);
    void ResetGame();
    void ClearInventoryList();
    void ResetAppearance();

    // ---- Variables
    void Do_Perem(std::string& s);
    void AssignText(std::string& t);
    void KillVariables();
    void StoreKeyPress(const std::string& code);

    // ---- Expressions and substitution
    Value Calc(std::string& e);
    bool Vern(std::string& c);
    std::string Skb(std::string& s);
    std::string& Subst(std::string& s);
    std::string CalcFunctions(std::string& s);

    // ---- Text output
    // With `links`, DialectMode takes [[C|L]] in the text as links (p and pln).
    void PrintText(const std::string& t, bool links = false);
    void PrintLine(const std::string& t, bool links = false);
    // The family's later dialect's printed text: its HTML and links as runs.
    void PrintDialectText(std::string_view piece, bool links);
    void AppendRun(TextRun run);
    // `image NAME`: the picture on a line of its own in the story.
    void ShowInlinePicture(const std::string& name);
    void ClearScreen();
    void ClearText();
    void ClearButtons();
    void ShowPage();
    void do_style();

    // ---- Buttons
    void AddButton(const std::string& arg);
    void AddCommandButton(const std::string& arg);
    // The sequence of a choice of the selected button (ChooseButton(index) is the player's).
    void ChooseButton();

    // ---- Inventory
    void GiveItem(const std::string& arg);
    void TakeItem(const std::string& arg);
    void KillItem(const std::string& arg);
    void SetInventoryVisible(const std::string& arg);
    void ListItemActions();

    // ---- Waiting
    void InputLine(const std::string& arg);
    void InputDialog(const std::string& arg);
    void PauseRun(const std::string& arg);
    void WaitKey(const std::string& arg);
    void QuitRun();

    // ---- Message boxes
    void ShowMessageBox(const std::string& arg);

    // ---- Saved games
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
    // Hands a run-time error with the line being run to Host::Diagnose; nothing while stopping or resetting.
    void Diagnose(const char* routine, std::string message) const;

    // ---- Continue, undo and transcript: conveniences on the saved-game writer that never change a run.
    // A quest is loaded and waits for the player's choice, inside no run, wait or reset.
    bool AtRest() const;
    // The saved-game text of the game to keep: as it is at rest, else as the running action found it. Empty
    // with nothing to keep: no quest, a quest that has quit, or a first run that never came to rest.
    std::string KeptGameText() const;
    // Restores a kept or undone game without the item messages a loaded game would show; false as for
    // RestoreGameText.
    bool RestoreQuietly(const std::string& bytes);
    // "Ход назад": back to the game before the last choice or item action.
    bool CanUndo() const { return AtRest() && m_Log.undoSteps() > 0; }
    bool Undo();
    // "Запись сеанса": every page shown, button chosen, item used and line typed, as UTF-8 text. `nativePath`
    // is UTF-8; false when the file cannot be written.
    bool StartTranscript(const std::string& nativePath);

    // ---- Reload in place: the player's steps since the game began (or its restored text) taken again.
    // Reloads the playing quest and replays its steps. Message boxes and input dialogs are answered as they
    // were, pauses do not wait, and a save dialog counts as cancelled. A button or item that the edited quest
    // no longer offers stops the replay before that step: `stopped` gets the reason (code page 1251), maybe
    // before Reload returns, and the game goes on from there. Returns once the replay has come to rest; when
    // the last step leaves the game waiting inside a statement, that wait is the player's, and Reload returns
    // only after it.
    void Reload(const std::function<void(const std::string&)>& stopped);

    // ---- Tokens, counters, jumps
    void SplitTokens(const std::string& arg);
    void CountVisit(const std::string& arg);
    // False when the quest has no such label (the run at `level` then ends).
    bool GotoLabel(const std::string& label, int level);
    void CallProc(const std::string& label, int level);

    // ---- Music and sounds
    void PlaySound(const std::string& arg);
    void PlayMusic();
    // The dialect's `music NAME`: the file beside the quest, played once; "stop", "0" or no name stop it.
    void PlayMusicOnce(const std::string& name);
    void ForgetProcs(int level);
    // The music channel finished its piece by itself (Host::PlayMusic says when).
    void MusicEnded();

    // ---- Network include
    // The text an "include http://..." (or https://) brings, after asking the player; empty when nothing.
    std::string NetInclude(const std::string& address);
    bool IsOnline();
    std::string FetchUrl(const std::string& address);

    // ---- HTML view
    void SetHtmlView(const std::string& arg);
    // Writes the page file and shows it; a failed write throws QuestError, keeping the buffer.
    void ShowHtml();

private:
    class PlayerAction;  // game/player_action.h

    // Reload in place (reload.cpp).
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
    void ReportExpressionError(const char* what);
    void CountEvalWork(size_t chars);
    void LetFrontInDuringEval();
    void SetInventoryCount(const std::string& item, const Value& v);
    void SetZotInv();
    void Message(const std::string& text, const std::string& title);
    bool FetchLine(int level, std::string& cur);
    void WaitMs(WaitReason why, int ms);
    void Changed(unsigned parts) { m_Host.ScreenChanged(parts); }
    void MissingLabel(const char* routine, const std::string& labelArg);

    Host& m_Host;

    // Program store.
    std::string m_QuestPath;
    std::string m_QuestFolder;
    std::string m_QuestPathNative;    // the same path as the file system spells it
    std::string m_QuestFolderNative;  // with its trailing "/"
    std::string m_OpenedNative;       // the path OpenQuest was given, until LoadQuest takes it
    std::string m_QuestsFolder;       // where the restore dialog starts (UTF-8)
    ProgramStore m_Program;

    // A picture file named by the quest, looked up as the file system spells it; empty when missing.
    std::string FindPicture(const std::string& name, bool currentFolderFirst) const;
    // Runs a click procedure with `flag` set to `value` around it.
    void RunPictureClick(const std::string& flag, const std::string& value, const std::string& statement);

    uint8_t m_FetchedFlags = ProgramStore::kLineAll;  // what the line being run holds, see ProgramStore
    static bool AssignmentActs(std::string_view name);
    struct FastPaths;  // engine/fast_paths.h: the speed work beside the routines
};

}  // namespace tarvik
