#include "tools/explorer.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "engine/engine.h"
#include "engine/message_box.h"
#include "tools/checker.h"

namespace tarvik::tools {

namespace {

// A turn that has not come to rest after this much is an endless loop: the engine lets the host in at every
// assignment and every 64 cycles, so this is some tens of millions of statements.
constexpr uint64_t kMaxEventsPerTurn = 1000000;
constexpr int kMaxWaitsPerTurn = 1000;

uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

bool WordChar(char c) {
    return (c >= '0' && c <= '9') || c == '_' || text::IsLetter(c);
}

using NameSet = std::unordered_set<std::string, text::NoCaseHash, text::NoCaseEqual>;
using CapMap = std::unordered_map<std::string, int64_t, text::NoCaseHash, text::NoCaseEqual>;

// The words of a line that read variables, and the numbers it compares them with: the pieces of its chains
// and ifs, but in printed text and button captions only the "#...$" forms, and nothing in double quotes but
// those forms, nor the label a goto, proc, btn or xbtn names.
void ReadWords(const std::string& line, std::vector<std::string>& words, int64_t& largest) {
    std::vector<std::string_view> parts;
    std::string_view rest(line);
    while (!rest.empty()) {
        size_t cut = rest.find('&');
        for (std::string_view word : {std::string_view(" then "), std::string_view(" else ")}) {
            const size_t at = text::FindNoCase(rest, word);
            if (at != std::string_view::npos && at < cut) cut = at + 1;
        }
        parts.push_back(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    auto scan = [&](std::string_view part, bool textOnly) {
        bool quoted = false, subst = false, skipNext = false;
        for (size_t i = 0; i < part.size();) {
            const char c = part[i];
            if (!WordChar(c)) {
                if (c == '"') quoted = !quoted;
                if (c == '#') subst = true;
                if (c == '$') subst = false;
                ++i;
                continue;
            }
            size_t end = i;
            while (end < part.size() && WordChar(part[end])) ++end;
            const std::string word(part.substr(i, end - i));
            i = end;
            if ((textOnly || quoted) && !subst) continue;
            const bool number = word.find_first_not_of("0123456789") == std::string::npos;
            if (number && word.size() < 10) largest = std::max<int64_t>(largest, std::stoll(word));
            if (!number && !skipNext) words.push_back(word);
            skipNext = text::EqualsNoCase(word, "goto") || text::EqualsNoCase(word, "proc") ||
                       text::EqualsNoCase(word, "btn") || text::EqualsNoCase(word, "xbtn");
        }
    };
    const bool html = line.find('<') != std::string::npos && line.find('>') != std::string::npos;
    for (std::string_view part : parts) {
        const std::string_view t = text::TrimView(part);
        const size_t blank = t.find(' ');
        const std::string_view first = t.substr(0, blank);
        const bool printed = text::EqualsNoCase(first, "pln") || text::EqualsNoCase(first, "p") ||
                             text::EqualsNoCase(first, "print") || text::EqualsNoCase(first, "println");
        const bool button = text::EqualsNoCase(first, "btn") || text::EqualsNoCase(first, "xbtn");
        if (button && t.find(',') != std::string_view::npos) {
            scan(t.substr(0, t.find(',')), false);
            scan(t.substr(t.find(',')), true);
        } else {
            scan(t, html || printed);
        }
    }
}

// The labels' visit counters (the variables "name" and "count_name"), each with the value from which on the
// quest cannot tell counts apart: one past the largest number on the lines that read it, which is all an
// if comparing it with a number can see. A counter that no line reads is left out of states altogether,
// as are the places the engine notes at every choice (current_loc, previous_loc, Last_Btn_Caption).
CapMap CounterCaps(const ProgramStore& lines) {
    NameSet labels;
    for (std::string_view line : lines)
        if (!line.empty() && line[0] == ':') labels.insert(text::Trim(std::string_view(line).substr(1)));
    CapMap caps;
    // What the engine notes at every choice matters only to a quest that reads it.
    for (const char* noted : {"current_loc", "previous_loc", "Last_Btn_Caption"}) caps.emplace(noted, 0);
    for (const std::string& label : labels) {
        caps.emplace(label, 0);
        caps.emplace("count_" + label, 0);
    }
    for (std::string_view line : lines) {
        if (line.empty() || line[0] == ':') continue;
        const std::string code(line.substr(0, line.find(';')));
        std::vector<std::string> words;
        int64_t largest = 0;
        ReadWords(code, words, largest);
        for (const std::string& word : words) {
            auto it = caps.find(word);
            if (it != caps.end()) it->second = std::max(it->second, largest + 1);
        }
    }
    return caps;
}

class Explorer final : public Host {
public:
    Explorer(const std::string& questPath, const ExploreOptions& options)
        : m_QuestPath(questPath), m_Options(options), m_Engine(*this) {
        if (m_Options.inputs.empty()) m_Options.inputs.emplace_back();
    }

    ExploreResult Run();

    // Host
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string&, const std::string&) override { return {}; }
    DialogResult OpenFileDialog(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    // The clock stands still, so a quest reading TIME explores alike each time.
    double SecondsSinceMidnight() override { return 12 * 3600.0; }
    void ProcessEvents() override;
    void Diagnose(const Diagnostic& diagnostic) override;
    void LabelReached(int line) override;

private:
    // What a turn starts with: the start of the quest, a button or an item action.
    struct Action {
        enum class Kind { Start, Choose, Item, Slot, Image, Overlay } kind = Kind::Start;
        int index = 0;  // 0-based button or inventory entry; slot, mouse button or overlay number
        std::string action;
    };
    // A state at rest waiting to be explored.
    struct Pending {
        int node = -1;
        std::string saved;  // the saved game
        uint64_t draws = 0;
        std::vector<Action> actions;
    };
    // The tree of paths: each state at rest found keeps its parent and the steps from it.
    struct Node {
        int parent = -1;
        std::vector<std::string> steps;
    };

    void PlayAction(const Pending* from, const Action& action);
    void PlayTurn(const Pending* from, const Action& action, const std::vector<int>& prefix);
    void Arrive(int fromNode);
    std::vector<std::string> PathTo(int node, size_t steps) const;
    uint64_t StateKey(const std::string& place) const;
    // A wait or a message box: false when the turn ends here (the state was seen, or the search is cut).
    bool Checkpoint(WaitReason why);
    int Decide(int options);
    void EndTurn();
    void Quietly(const std::function<void()>& step);

    std::string m_QuestPath;
    ExploreOptions m_Options;
    Engine m_Engine;
    ExploreResult m_Result;
    mutable CapMap m_Caps;
    std::unordered_set<uint64_t> m_Seen;
    std::unordered_set<std::string> m_Reported;  // errors, dead ends and endings already listed
    std::vector<Node> m_Nodes;
    std::deque<Pending> m_Queue;
    bool m_Cut = false;
    bool m_Opened = false;
    mutable bool m_CapsKnown = false;
    std::vector<bool> m_ReachedLines;

    // The turn being played.
    bool m_Recording = false;   // false while a state is restored: what that runs is no finding
    bool m_Ending = false;      // the turn has ended; the engine is unwinding its runs
    std::vector<int> m_Prefix;  // the choices to repeat at the turn's first choice points
    size_t m_Point = 0;
    std::vector<int> m_Taken, m_Counts;
    std::vector<std::string> m_Said;  // the steps of this turn, as script lines
    std::unordered_set<uint64_t> m_TurnKeys;
    uint64_t m_Events = 0;
    int m_Waits = 0;
    int m_LastLabel = 0;
    int m_FromNode = -1;
};

ExploreResult Explorer::Run() {
    const auto started = std::chrono::steady_clock::now();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_QuestPath, ec) || !std::ifstream(m_QuestPath, std::ios::binary)) {
        m_Result.readable = false;
        return m_Result;
    }
    PlayAction(nullptr, Action{});
    while (!m_Queue.empty() && !m_Cut) {
        Pending p = std::move(m_Queue.front());
        m_Queue.pop_front();
        for (const Action& a : p.actions) {
            if (m_Cut) break;
            PlayAction(&p, a);
        }
    }
    if (!m_Queue.empty()) m_Cut = true;
    m_Result.complete = !m_Cut;
    const auto& lines = m_Engine.programLines();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != ':') continue;
        m_Result.labels.push_back(text::Trim(std::string_view(lines[i]).substr(1)));
        m_Result.labelLines.push_back(static_cast<int>(i));
        m_Result.reached.push_back(i < m_ReachedLines.size() && m_ReachedLines[i]);
    }
    // Errors are named by the lines their authors wrote.
    const std::vector<SourceLine> sources = ProgramLineSources(m_QuestPath);
    for (ExploreFinding& f : m_Result.errors) {
        if (f.line <= 0) continue;
        const bool known = sources.size() == lines.size();
        f.file = known ? sources[static_cast<size_t>(f.line)].file : m_QuestPath;
        f.fileLine = known ? sources[static_cast<size_t>(f.line)].line : f.line;
    }
    m_Result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return std::move(m_Result);
}

// What a restore runs is no finding, and its music assignments need not look for their files.
void Explorer::Quietly(const std::function<void()>& step) {
    const bool was = m_Recording, music = m_Engine.options().Music;
    m_Recording = false;
    m_Engine.options().Music = false;
    step();
    m_Engine.options().Music = music;
    m_Recording = was;
}

// Every choice point of a turn (an input answered, a message box button) is tried: a turn is played again
// from its state with the choices before the point repeated and another choice there.
void Explorer::PlayAction(const Pending* from, const Action& action) {
    std::vector<std::vector<int>> todo{{}};
    while (!todo.empty() && !m_Cut) {
        std::vector<int> prefix = std::move(todo.back());
        todo.pop_back();
        PlayTurn(from, action, prefix);
        for (size_t k = m_Taken.size(); k-- > prefix.size();) {
            for (int option = m_Counts[k] - 1; option >= 1; --option) {
                std::vector<int> alternative(m_Taken.begin(), m_Taken.begin() + static_cast<long>(k));
                alternative.push_back(option);
                todo.push_back(std::move(alternative));
            }
        }
    }
}

void Explorer::PlayTurn(const Pending* from, const Action& action, const std::vector<int>& prefix) {
    m_Prefix = prefix;
    m_Point = 0;
    m_Taken.clear();
    m_Counts.clear();
    m_Said.clear();
    m_TurnKeys.clear();
    m_Events = 0;
    m_Waits = 0;
    m_Ending = false;
    m_LastLabel = 0;
    m_FromNode = from ? from->node : -1;
    ++m_Result.turns;

    if (!from) {
        m_Engine.SeedAt(m_Options.seed, 0);
        m_Recording = true;
        if (!m_Opened) {
            m_Opened = true;
            m_Engine.OpenQuest(m_QuestPath);
        } else {
            m_Engine.ResetGame();
            int level = 1;
            std::string none;
            m_Engine.RunLabel(level, none);
        }
    } else {
        Quietly([&] { m_Engine.RestoreQuietly(from->saved); });
        m_Engine.SeedAt(m_Options.seed, from->draws);
        m_Recording = true;
        if (action.kind == Action::Kind::Choose) {
            m_Said.push_back("choose " + std::to_string(action.index + 1));
            m_Engine.ChooseButton(action.index);
        } else if (action.kind == Action::Kind::Slot) {
            m_Said.push_back("slot " + std::to_string(action.index));
            m_Engine.ClickSlot(action.index);
        } else if (action.kind == Action::Kind::Image) {
            m_Said.push_back("image 0 0 " + std::to_string(action.index));
            m_Engine.ClickImage(action.index, 0, 0);
        } else if (action.kind == Action::Kind::Overlay) {
            m_Said.push_back("overlay " + std::to_string(action.index));
            m_Engine.ClickOverlay(action.index);
        } else {
            m_Said.push_back("item " + std::to_string(action.index + 1));
            m_Said.push_back("action " + text::Cp1251ToUtf8(action.action));
            m_Engine.ClickItem(action.index);
            m_Engine.RunItemAction(action.action);
        }
    }
    m_Recording = false;
    if (!m_Ending && m_Engine.AtRest()) Arrive(m_FromNode);
}

std::vector<std::string> Explorer::PathTo(int node, size_t steps) const {
    std::vector<std::vector<std::string>> parts;
    for (int n = node; n >= 0; n = m_Nodes[static_cast<size_t>(n)].parent)
        parts.push_back(m_Nodes[static_cast<size_t>(n)].steps);
    std::vector<std::string> path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) path.insert(path.end(), it->begin(), it->end());
    path.insert(path.end(), m_Said.begin(),
                m_Said.begin() + static_cast<long>(std::min(steps, m_Said.size())));
    return path;
}

uint64_t Explorer::StateKey(const std::string& place) const {
    if (!m_CapsKnown) {
        m_Caps = CounterCaps(m_Engine.programLines());
        m_CapsKnown = true;
    }
    // Variables in any order of creation make the same state.
    uint64_t variables = 0;
    std::hash<std::string_view> hash;
    std::string entry;
    for (const std::string& name : m_Engine.varNames()) {
        const Value* v = m_Engine.FindVariable(name);
        if (!v || v->IsZeroNumber()) continue;
        entry.assign(text::ToLower(name));
        entry += v->IsText() ? '\x01' : '\x02';
        auto cap = m_Caps.find(name);
        double count = 0;
        if (cap != m_Caps.end() && cap->second == 0) continue;
        if (cap == m_Caps.end() || !v->IsNumber() || !v->ToNumber(count)) {
            entry += v->ToText();
        } else {
            entry += std::to_string(std::min<int64_t>(static_cast<int64_t>(count), cap->second));
        }
        variables += Mix(hash(entry));
    }
    std::string ordered = place;
    for (const InvEntry& e : m_Engine.inventory()) {
        ordered += '\x1e';
        ordered += e.text;
    }
    const auto& captions = m_Engine.buttons();
    for (size_t i = 0; i < captions.size(); ++i) {
        ordered += '\x1f';
        ordered += captions[i];
        ordered += '\x1d';
        if (i < m_Engine.buttonLabels().size()) ordered += m_Engine.buttonLabels()[i];
        ordered += '\x1d';
        if (i < m_Engine.buttonCommands().size()) ordered += m_Engine.buttonCommands()[i];
    }
    return Mix(variables ^ Mix(hash(ordered)));
}

// A turn has come to rest: a new state is explored later, from its saved game.
void Explorer::Arrive(int fromNode) {
    const uint64_t key = StateKey(std::string());
    // A state without buttons is looked at even when seen: the same state may show another page, and each
    // page that leaves the player with nothing to do is a finding of its own.
    const bool seen = m_Seen.count(key) != 0;
    if (seen && !m_Engine.buttons().empty()) return;

    std::vector<Action> actions;
    for (int i = 0; i < static_cast<int>(m_Engine.buttons().size()); ++i)
        actions.push_back({Action::Kind::Choose, i, {}});
    const std::string saved = m_Engine.SavedGameText("", true);
    Quietly([&] {
        for (int i = 0; i < static_cast<int>(m_Engine.inventory().size()); ++i) {
            m_Engine.ClickItem(i);
            for (const std::string& a : m_Engine.itemActions()) actions.push_back({Action::Kind::Item, i, a});
        }
    });
    // Pictures are clicked where the quest has a procedure for the click.
    const PictureModel& pictures = m_Engine.pictures();
    if (m_Engine.LabelLine(":form_image_click") >= 0) {
        for (int i = 1; i <= PictureModel::kSlots; ++i)
            if (pictures.images[static_cast<size_t>(i - 1)].visible)
                actions.push_back({Action::Kind::Slot, i, {}});
    }
    if (pictures.windowVisible && m_Engine.LabelLine(":image_click") >= 0) {
        for (int button : {1, 2, 4}) actions.push_back({Action::Kind::Image, button, {}});
        for (int i = PictureModel::kFirstOverlay; i <= PictureModel::kLastOverlay; ++i)
            if (pictures.overlays[static_cast<size_t>(i - PictureModel::kFirstOverlay)].visible)
                actions.push_back({Action::Kind::Overlay, i, {}});
    }

    if (actions.empty()) {
        ExploreFinding f;
        if (m_LastLabel > 0)
            f.label = text::Trim(
                std::string_view(m_Engine.programLines()[static_cast<size_t>(m_LastLabel)]).substr(1));
        f.text = m_Engine.ScreenText();
        if (m_Reported.insert("d" + f.label + '\0' + f.text).second) {
            f.path = PathTo(fromNode, m_Said.size());
            m_Result.deadEnds.push_back(std::move(f));
        }
    }
    if (seen) return;
    if (m_Result.states >= m_Options.maxStates) {
        m_Cut = true;
        return;
    }
    m_Seen.insert(key);
    ++m_Result.states;
    if (actions.empty()) return;

    m_Nodes.push_back({fromNode, m_Said});
    Pending p;
    p.node = static_cast<int>(m_Nodes.size()) - 1;
    p.saved = saved;
    p.draws = m_Engine.randomDraws();
    p.actions = std::move(actions);
    m_Queue.push_back(std::move(p));
}

int Explorer::Decide(int options) {
    const int choice = m_Point < m_Prefix.size() ? m_Prefix[m_Point] : 0;
    ++m_Point;
    m_Taken.push_back(choice);
    m_Counts.push_back(options);
    return choice;
}

bool Explorer::Checkpoint(WaitReason why) {
    if (m_Ending) return false;
    if (++m_Waits > kMaxWaitsPerTurn) {
        m_Engine.Diagnose("RunLabel", "the turn does not come to rest: " + std::to_string(kMaxWaitsPerTurn) +
                                          " waits and it still runs");
        EndTurn();
        return false;
    }
    const uint64_t key = StateKey(m_Engine.RunPlace());
    const bool repeated = !m_TurnKeys.insert(key).second;
    // The choices repeated from an earlier turn lead through states that turn counted already.
    if (m_Point < m_Prefix.size()) return true;
    if (repeated) {
        // Waiting again and again in the same state: with no button to leave by, the player is stuck.
        if ((why == WaitReason::Pause || why == WaitReason::Anykey) && m_Engine.buttons().empty()) {
            ExploreFinding f;
            f.label =
                m_LastLabel > 0
                    ? text::Trim(std::string_view(m_Engine.programLines()[static_cast<size_t>(m_LastLabel)])
                                     .substr(1))
                    : std::string();
            f.text = m_Engine.ScreenText();
            if (m_Reported.insert("d" + f.label + '\0' + f.text).second) {
                f.path = PathTo(m_FromNode, m_Said.size());
                m_Result.deadEnds.push_back(std::move(f));
            }
        }
        EndTurn();
        return false;
    }
    if (m_Seen.count(key)) {
        EndTurn();
        return false;
    }
    if (m_Result.states >= m_Options.maxStates) {
        m_Cut = true;
        EndTurn();
        return false;
    }
    m_Seen.insert(key);
    ++m_Result.states;
    return true;
}

// The runs of the turn unwind as they do when a new game starts during a wait.
void Explorer::EndTurn() {
    m_Ending = true;
    m_Engine.ResetGame();
}

void Explorer::Wait(WaitReason why, int) {
    if (!m_Recording || m_Ending) return;
    if (why == WaitReason::Quit) {
        ExploreFinding f;
        f.text = m_Engine.ScreenText();
        if (m_Reported.insert("e" + f.text).second) {
            f.path = PathTo(m_FromNode, m_Said.size());
            m_Result.endings.push_back(std::move(f));
        }
        EndTurn();
        return;
    }
    if (!Checkpoint(why)) return;
    switch (why) {
        case WaitReason::Input: {
            const std::string& typed =
                m_Options.inputs[static_cast<size_t>(Decide(static_cast<int>(m_Options.inputs.size())))];
            m_Said.push_back(typed.empty() ? std::string("type") : "type " + text::Cp1251ToUtf8(typed));
            m_Engine.SubmitLine(typed);
            return;
        }
        case WaitReason::Anykey:
            Decide(1);
            m_Said.push_back("key 13");
            m_Engine.PressKey(13);
            return;
        default:
            Decide(1);
            return;
    }
}

int Explorer::MessageBox(const std::string&, const std::string&, int style) {
    const auto buttons = MessageBoxButtons(style).answers;
    if (!m_Recording || m_Ending || !Checkpoint(WaitReason::Input)) return buttons.front();
    const int answer = buttons[static_cast<size_t>(Decide(static_cast<int>(buttons.size())))];
    m_Said.push_back("answer " + std::to_string(answer));
    return answer;
}

DialogResult Explorer::InputBox(const std::string&, const std::string&) {
    DialogResult r;
    r.state = DialogResult::State::Accepted;
    if (!m_Recording || m_Ending || !Checkpoint(WaitReason::Input)) return r;
    r.text = m_Options.inputs[static_cast<size_t>(Decide(static_cast<int>(m_Options.inputs.size())))];
    m_Said.push_back(r.text.empty() ? std::string("prompt") : "prompt " + text::Cp1251ToUtf8(r.text));
    return r;
}

void Explorer::ProcessEvents() {
    if (!m_Recording || m_Ending || ++m_Events <= kMaxEventsPerTurn) return;
    m_Engine.Diagnose("RunLabel", "the turn does not come to rest: an endless loop?");
    EndTurn();
}

void Explorer::Diagnose(const Diagnostic& d) {
    if (!m_Recording || m_Ending) return;
    std::string key(1, 'r');
    key.append(std::to_string(d.line)).append(1, '\0').append(d.routine).append(1, '\0').append(d.message);
    if (!m_Reported.insert(std::move(key)).second) return;
    ExploreFinding f;
    f.path = PathTo(m_FromNode, m_Said.size());
    f.routine = d.routine;
    f.message = d.message;
    f.line = d.line;
    f.source = d.source;
    m_Result.errors.push_back(std::move(f));
}

void Explorer::LabelReached(int line) {
    if (!m_Recording || m_Ending) return;
    m_LastLabel = line;
    if (line < 0) return;
    if (static_cast<size_t>(line) >= m_ReachedLines.size())
        m_ReachedLines.resize(m_Engine.programLines().size());
    if (static_cast<size_t>(line) < m_ReachedLines.size()) m_ReachedLines[static_cast<size_t>(line)] = true;
}

}  // namespace

size_t ExploreResult::ReachedCount() const {
    return static_cast<size_t>(std::count(reached.begin(), reached.end(), true));
}

int ExploreResult::ExitCode() const {
    if (!deadEnds.empty() || !errors.empty()) return 1;
    return complete ? 0 : 2;
}

ExploreResult Explore(const std::string& questPath, const ExploreOptions& options) {
    Explorer explorer(questPath, options);
    return explorer.Run();
}

}  // namespace tarvik::tools
