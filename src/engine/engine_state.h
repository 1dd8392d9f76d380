// The game as it stands: what the fronts read of it, and the state the engine's routines work on. Only the
// engine writes it; the fields keep the names the quest language's routines have always used for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/net.h"
#include "engine/variable_store.h"
#include "files/page_folder.h"
#include "game/dialect.h"
#include "game/item_list.h"
#include "game/picture_model.h"
#include "game/screen_model.h"
#include "game/session_log.h"

namespace tarvik {

// One step of the player since the game began, kept for reload in place.
struct ReplayStep {
    enum class Kind { Button, ItemAction, Line, Key, Answer, Input, Slot, Image, Overlay };
    Kind kind = Kind::Button;
    int number = 0;        // button index, message box answer, slot, overlay or mouse button
    double x = 0, y = 0;   // Image: twips from the main picture's top left
    std::string text;      // button caption, item action, typed line, input answer, key code
    std::string item;      // ItemAction: the item's name
    bool accepted = true;  // Input: the dialog was not cancelled
};

class EngineState {
public:
    Options& options() { return m_Options; }
    const Options& options() const { return m_Options; }
    ColourMode colourMode() const { return m_ColourMode; }
    void SetColourMode(ColourMode mode) { m_ColourMode = mode; }
    // Whether the loaded quest plays in the family's later dialect ("DialectMode"), and how that is chosen.
    bool dialect() const { return m_Dialect; }
    DialectSwitch dialectSwitch() const { return m_DialectSwitch; }
    // In the dialect, a btn whose first "&" comes before its first "," is one statement, never split at "&".
    bool IsStatementButton(std::string_view statement) const;
    // The client that network includes go through, owned by the front; with none they ask nothing and bring
    // nothing.
    void SetHttpClient(HttpClient* client) { m_Http = client; }

    // ---- The screen model
    const std::vector<TextRun>& textRuns() const { return m_TextRuns; }
    std::string ScreenText() const;
    const std::vector<std::string>& buttons() const { return m_List1; }
    const std::vector<std::string>& buttonLabels() const { return m_BtnLabels; }
    const std::vector<std::string>& buttonCommands() const { return m_BtnCommands; }
    // The link each button entry was made by (the `link` of its caption's text run), 0 for a `btn`.
    int buttonLink(size_t index) const { return index < m_BtnLinks.size() ? m_BtnLinks[index] : 0; }
    int selectedButton() const { return m_List1Index; }
    const std::vector<InvEntry>& inventory() const { return m_Items.entries(); }
    int invLast() const { return m_Items.last(); }
    int selectedItem() const { return m_Items.selected(); }
    const std::vector<std::string>& itemActions() const { return m_Combo1; }
    bool actionsEnabled() const { return m_Combo1Enabled; }
    bool htmlVisible() const { return m_Frame1Visible; }
    const std::string& htmlBuffer() const { return m_HtmlBuffer; }
    bool inputVisible() const { return m_Text1Visible; }
    const PictureModel& pictures() const { return m_Pictures; }
    const std::vector<std::string>& varNames() const { return m_Vars.names(); }
    // The stored value of a variable, or nullptr.
    const Value* FindVariable(std::string_view name) const { return m_Vars.Find(name); }

    // ---- The run
    // Ends every wait and run as soon as possible (the front is closing or a script has run out).
    void RequestStop();
    bool Stopping() const { return m_Stopping; }
    // True while a WaitMs is counting; Host::Wait returns when it turns false.
    bool TimerRunning() const { return m_TimerRunning && !m_Stopping; }
    // "input", "anykey", "pause" or "quit" while such a statement waits (the innermost one when waits nest),
    // "" when the game only waits for a choice. A wait ended by RequestStop stays reported, so a state taken
    // after a script ran out still tells where the game stood.
    const char* waitingFor() const { return m_WaitingFor; }
    // Counts game resets: a load or run that sees it change has been replaced by a newer one.
    uint32_t gameNumber() const { return m_Game; }
    // The size the server announced for a network include; 0 when it announced none, and after a download.
    int32_t includeSize() const { return m_IncludeSize; }
    // Where the run stands while the game waits inside a statement: the line each call level goes on from
    // and the rest of its chain, with what it waits for. Two waits with the same place and the same saved
    // game go on alike.
    std::string RunPlace() const;
    void Seed(uint32_t seed) { SeedAt(seed, 0); }
    // The random generator as `Seed(seed)` and then `draws` numbers drawn leave it.
    void SeedAt(uint32_t seed, uint64_t draws);
    // Numbers drawn since the last seeding.
    uint64_t randomDraws() const { return m_RandomDraws; }
    static constexpr size_t kUndoSteps = SessionLog::kUndoSteps;
    size_t undoSteps() const { return m_Log.undoSteps(); }
    // Drops the undo steps and the running action's start (another quest or a new game begins).
    void ForgetPast() { m_Log.Forget(); }
    bool TranscriptOn() const { return m_Log.TranscriptOn(); }
    void StopTranscript() { m_Log.StopTranscript(); }
    // Writes what the player sees now that the transcript does not hold yet.
    void NotePage();
    // Writes one line the player gave (a chosen button, an item action, a typed line).
    void NotePlayer(const std::string& said);
    // The player's steps since the game began (reload in place).
    const std::vector<ReplayStep>& replaySteps() const { return m_ReplaySteps; }
    bool Replaying() const { return m_Replaying; }

protected:
    float NextRandom();  // uniform in [0, 1), single precision

    Options m_Options;
    ColourMode m_ColourMode = ColourMode::Normal;
    DialectSwitch m_DialectSwitch = DialectSwitch::Auto;
    bool m_Dialect = false;
    bool m_MusicOnce = false;  // the music channel plays what the dialect's music statement named, once
    std::mt19937 m_Random{std::random_device{}()};
    uint64_t m_RandomDraws = 0;
    SessionLog m_Log;
    std::string m_QuestFile;    // the path to open (code page 1251 form)
    int32_t m_IncludeSize = 0;  // see Engine::includeSize()
    HttpClient* m_Http = nullptr;

    // Reload in place.
    std::vector<ReplayStep> m_ReplaySteps;  // since the game began
    std::string m_ReplayFrom;         // the saved-game text the game began from; empty: the quest's start
    std::deque<ReplayStep> m_Replay;  // steps still to replay
    size_t m_ReplayTotal = 0;
    bool m_Replaying = false;
    std::function<void(const std::string&)> m_ReplayStopped;

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
    int32_t m_CurrentLine = 0;  // the program line being run; 0 for none (see Engine::programLines())
    uint32_t m_Game = 0;        // counts game resets; a run stops when the game it ran in has been replaced
    bool m_Resetting = false;   // inside ResetGame: player events wait until it is done
    uint32_t m_Cycles = 0;      // run loop cycles, for letting the front in during long runs
    int m_ChainNesting = 0;     // chain pieces being run inside chain pieces
    // The key a goto looks its label up by, kept so that a jump builds it without allocating.
    std::string m_LabelKey;

    // The evaluator.
    int m_EvalDepth = 0;
    uint32_t m_EvalSteps = 0;  // evaluator calls made for the current outermost expression
    static constexpr uint64_t kEvalWorkBetweenEvents = 8u << 20;  // characters the evaluator goes through
    uint64_t m_EvalWork = 0;

    VariableStore m_Vars;
    bool m_StyleDirty = false;
    PictureModel m_Pictures;

    // Screen model.
    std::vector<TextRun> m_TextRuns;
    size_t m_TextLength = 0;
    bool m_Frame1Visible = false;
    bool m_Text1Visible = false;
    // Buttons: BtnLabels and BtnCommands never shrink when the list is cleared.
    std::vector<std::string> m_List1;
    std::vector<std::string> m_BtnLabels;
    std::vector<std::string> m_BtnCommands;
    std::vector<int> m_BtnLinks;  // cleared with the list
    int m_LastLink = 0;
    int m_List1Index = -1;
    // Inventory, and the actions of the clicked entry (also the pop-up menu's invS items).
    ItemList m_Items;
    std::vector<std::string> m_Combo1;
    int m_Combo1Index = -1;
    bool m_Combo1Enabled = false;
    // HTML view: where its page file is written.
    HtmlPageFolder m_PageFolder;
};

}  // namespace tarvik
