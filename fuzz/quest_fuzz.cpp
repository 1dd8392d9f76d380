// Arbitrary bytes as a quest: the input is written as a quest file, opened, and then played by a scripted
// player whose choices follow from the input, so every run can be replayed from its input file alone. The
// player's actions are bounded, and a quest that computes or prints without end is stopped after a fixed
// amount of that work; anything else that does not finish is a hang worth reporting.
//
// An input holding two NUL bytes in a row is split there: the quest is what comes before, and what follows is
// the text every network include of the quest fetches, so fetched text is fuzzed as the engine receives it.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include "engine/engine.h"

namespace {

namespace fs = std::filesystem;
using tarvik::DialogResult;
using tarvik::Engine;
using tarvik::WaitReason;

constexpr int kMaxActions = 20;  // player actions per input
// ProcessEvents calls (one per assignment, and one every 64 run-loop cycles) before the game is ended; an
// endless loop then ends after 500 assignments, or about 32,000 cycles when it assigns nothing.
constexpr int kMaxAssignments = 500;
// Printed pieces before the game is ended. A short quest may print without end and still be finite: a long
// expression prints an error line at every nested level, again in every level of a deep proc recursion and
// after every player action. Past this much output the game is ended as a player closing the window would.
constexpr int kMaxPrints = 20000;

// The folder for this process's quest file, removed when the process ends normally.
class QuestFolder {
public:
    QuestFolder() {
        dir = fs::temp_directory_path() / ("tarvik-fuzz-" + std::to_string(getpid()));
        fs::create_directories(dir);
        quest = dir / "quest.qst";
    }
    ~QuestFolder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    fs::path quest;
};

// splitmix64: a small generator whose whole sequence follows from the input's hash.
class Choices {
public:
    explicit Choices(uint64_t seed) : m_State(seed) {}
    uint64_t Next() {
        uint64_t z = (m_State += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // A number in [0, n); n > 0.
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

private:
    uint64_t m_State;
};

uint64_t Fnv1a(const uint8_t* data, size_t size) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ull;
    return h;
}

// The web as one text: every address serves `body`, its size announced or not as the input's hash says, in
// pieces of at most 2048 bytes up to the cap as a real client delivers them.
class FuzzWeb : public tarvik::HttpClient {
public:
    FuzzWeb(std::string_view body, uint64_t seed) : m_Body(body), m_Seed(seed) {}

    bool IsOnline() override { return ((m_Seed >> 42) & 3) != 0; }

    tarvik::HttpProbe Probe(const std::string&, const KeepGoing& keepGoing) override {
        tarvik::HttpProbe p;
        p.ok = keepGoing();
        p.announced = (m_Seed >> 44) & 1;
        p.length = m_Body.size();
        return p;
    }

    bool Get(const std::string&, size_t cap, const ChunkSink& sink, const KeepGoing& keepGoing) override {
        size_t delivered = 0;
        for (size_t off = 0; off < m_Body.size(); off += kChunk) {
            if (!keepGoing()) return false;
            std::string_view piece = m_Body.substr(off, kChunk);
            if (!sink(piece)) return false;
            delivered += piece.size();
            if (delivered > cap) break;
        }
        return true;
    }

private:
    std::string_view m_Body;
    uint64_t m_Seed;
};

// A player that never sleeps: dialogs are answered at once, and every wait gets one scripted action.
class FuzzHost : public tarvik::Host {
public:
    FuzzHost(uint64_t seed, std::string_view input, std::string savePath)
        : m_Choices(seed), m_Input(input), m_SavePath(std::move(savePath)) {}

    void Attach(Engine& engine) { m_Engine = &engine; }

    // RequestStop only sets the engine's stop flags and runs no quest code, so it is safe from a
    // notification.
    void ScreenChanged(unsigned parts) override {
        if ((parts & tarvik::kScreenText) && ++m_Prints > kMaxPrints && m_Engine) m_Engine->RequestStop();
    }

    void ProcessEvents() override {
        if (++m_Assignments > kMaxAssignments) {
            m_Engine->RequestStop();
            return;
        }
        // Now and then the player acts in the middle of a computation, as a window would let them.
        if (m_Choices.Below(64) == 0) Act();
    }

    void Wait(WaitReason why, int) override {
        // A pause ends by itself; the player may still act during it.
        if (why == WaitReason::Pause && m_Choices.Below(4) != 0) return;
        Act();
    }

    int MessageBox(const std::string&, const std::string&, int style) override {
        // Questions with Yes and No are mostly answered Yes, so network includes get fetched.
        if ((style & 7) == 4 && m_Choices.Below(4) != 0) return tarvik::kAnswerYes;
        return static_cast<int>(1 + m_Choices.Below(7));
    }

    DialogResult InputBox(const std::string&, const std::string&) override {
        DialogResult r;
        if (m_Choices.Below(4) != 0) r.state = DialogResult::State::Accepted;  // accepted empty, or cancelled
        return r;
    }

    // Saves go to one file of this process, which the load-game command later reads back.
    DialogResult SaveFileDialog(const std::string&, const std::string&) override {
        DialogResult r;
        if (m_Choices.Below(4) == 0) return r;  // cancelled
        r.state = DialogResult::State::Accepted;
        r.text = m_SavePath;
        return r;
    }

    DialogResult OpenFileDialog(const std::string&, const std::string&, const std::string&) override {
        DialogResult r;
        r.state = DialogResult::State::Accepted;
        r.text = m_SavePath;
        return r;
    }

    double SecondsSinceMidnight() override { return 45296.25; }

    // One player action, or the end of the game once the budget is spent.
    void Act() {
        if (m_Engine->Stopping()) return;
        if (m_Actions >= kMaxActions) {
            m_Engine->RequestStop();
            return;
        }
        ++m_Actions;
        Engine& e = *m_Engine;
        switch (m_Choices.Below(12)) {
            case 0:
            case 1:
            case 2:
            case 3:  // choose a button: select it and double-click
                if (!e.buttons().empty()) {
                    e.ChooseButton(static_cast<int>(m_Choices.Below(e.buttons().size())));
                } else {
                    e.ClickButtonList(-1);
                }
                break;
            case 4:
            case 5:  // click an inventory entry and run one of the actions offered for it
                e.ClickItem(static_cast<int>(m_Choices.Below(e.inventory().size())));
                if (!e.itemActions().empty()) {
                    if (m_Choices.Below(2) == 0)
                        e.ChooseAction(e.selectedAction());
                    else
                        e.RunItemAction(e.itemActions()[m_Choices.Below(e.itemActions().size())]);
                }
                break;
            case 6:  // an action the quest did not offer
                e.RunItemAction(Slice());
                break;
            case 7:  // a key in the window or on the button list
                if (m_Choices.Below(2) == 0)
                    e.PressKey(static_cast<int>(m_Choices.Below(256)));
                else
                    e.PressButtonListKey(
                        -1, m_Choices.Below(2) == 0 ? 13 : static_cast<int>(m_Choices.Below(256)));
                break;
            case 8:
            case 9:  // type a text into the input line
                e.SubmitLine(Typed());
                break;
            case 10:  // a single click with the one-click option flipped
                e.options().clk = !e.options().clk;
                if (!e.buttons().empty())
                    e.ClickButtonList(static_cast<int>(m_Choices.Below(e.buttons().size())));
                break;
            case 11:  // now and then a new game or a saved game restored; otherwise the item messages are
                      // switched
                switch (m_Choices.Below(4)) {
                    case 0:
                        e.NewGame();
                        break;
                    case 1:
                        e.RestoreGame();
                        break;
                    default:
                        e.options().Soobit = !e.options().Soobit;
                }
                break;
        }
    }

    bool BudgetLeft() const { return m_Actions < kMaxActions; }

private:
    // A few bytes of the input itself: quests compare what is typed with their own words.
    std::string Slice() {
        if (m_Input.empty()) return {};
        size_t from = m_Choices.Below(m_Input.size());
        size_t len = m_Choices.Below(13);
        return std::string(m_Input.substr(from, len));
    }

    std::string Typed() {
        static const char* const kTexts[] = {"", "1", "42", "-3.5", "2,5", "abc", "\xe4\xe0", "#x$", "a b c"};
        size_t k = m_Choices.Below(std::size(kTexts) + 1);
        return k < std::size(kTexts) ? std::string(kTexts[k]) : Slice();
    }

    Choices m_Choices;
    std::string_view m_Input;
    std::string m_SavePath;
    Engine* m_Engine = nullptr;
    int m_Actions = 0;
    int m_Assignments = 0;
    int m_Prints = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuestFolder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find(std::string_view("\0\0", 2));
    const std::string_view quest = input.substr(0, split);
    const std::string_view fetched =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 2);
    {
        std::ofstream out(folder.quest, std::ios::binary | std::ios::trunc);
        out.write(quest.data(), static_cast<std::streamsize>(quest.size()));
        if (!out) return 0;
    }

    const uint64_t seed = Fnv1a(data, size);
    // A save left by an earlier input would make this run depend on that input.
    const fs::path save = folder.dir / "save.qsv";
    std::error_code ec;
    fs::remove(save, ec);
    FuzzHost host(seed, std::string_view(reinterpret_cast<const char*>(data), size), save.string());
    Engine engine(host);
    host.Attach(engine);
    FuzzWeb web(fetched, seed);
    engine.SetHttpClient(&web);
    engine.Seed(static_cast<uint32_t>(seed));
    engine.options().Soobit = (seed >> 40) & 1;
    if ((seed >> 41) & 1) engine.SetColourMode(tarvik::ColourMode::Dos);

    engine.OpenQuest(folder.quest.string());
    // The run has stopped and waits for the player: act until the budget is spent.
    while (!engine.Stopping() && host.BudgetLeft()) host.Act();
    engine.RequestStop();
    return 0;
}
