// The statement executor: keyword dispatch.
#include <iterator>

#include "engine/engine.h"
#include "engine/fast_paths.h"

namespace tarvik {

namespace {

// The keywords of the table, in its order; Save and those after it come after the assignment entry.
enum class Keyword : uint8_t {
    None,
    End,  // no entry of the table, but the page is shown before it as before pause and anykey
    Pln,
    P,
    Println,
    Print,
    Instr,
    Input,
    InputBox,
    Cls,
    Clsb,
    Clst,
    Btn,
    Xbtn,
    InvPlus,
    InvMinus,
    Invkill,
    Perkill,
    Save,
    Goto,
    Proc,
    Pause,
    Anykey,
    Quit,
    Picture,
    Tokens,
    InvVisible,
    Html,
    MsgBox,
    Play,
};

struct KeywordEntry {
    std::string_view word;
    Keyword keyword;
};

constexpr KeywordEntry kKeywords[] = {
    {"end", Keyword::End},
    {"pln", Keyword::Pln},
    {"p", Keyword::P},
    {"println", Keyword::Println},
    {"print", Keyword::Print},
    {"instr", Keyword::Instr},
    {"input", Keyword::Input},
    {"input_box", Keyword::InputBox},
    {"cls", Keyword::Cls},
    {"clsb", Keyword::Clsb},
    {"clst", Keyword::Clst},
    {"btn", Keyword::Btn},
    {"xbtn", Keyword::Xbtn},
    {"inv+", Keyword::InvPlus},
    {"inv-", Keyword::InvMinus},
    {"invkill", Keyword::Invkill},
    {"perkill", Keyword::Perkill},
    {"save", Keyword::Save},
    {"goto", Keyword::Goto},
    {"proc", Keyword::Proc},
    {"pause", Keyword::Pause},
    {"anykey", Keyword::Anykey},
    {"quit", Keyword::Quit},
    {"picture", Keyword::Picture},
    {"tokens", Keyword::Tokens},
    {"inv_visible", Keyword::InvVisible},
    {"html", Keyword::Html},
    {"MsgBox", Keyword::MsgBox},
    {"play", Keyword::Play},
};

constexpr size_t kLongestKeyword = 11;

// The entries of each word length, as positions in kKeywords (0xff ends a list).
struct KeywordsBySize {
    uint8_t of[kLongestKeyword + 1][12];
};

constexpr KeywordsBySize MakeKeywordsBySize() {
    KeywordsBySize t{};
    for (auto& list : t.of) {
        for (auto& k : list) k = 0xff;
    }
    for (size_t i = 0; i < std::size(kKeywords); ++i) {
        uint8_t* list = t.of[kKeywords[i].word.size()];
        size_t n = 0;
        while (list[n] != 0xff) ++n;
        list[n] = static_cast<uint8_t>(i);
    }
    return t;
}
constexpr KeywordsBySize kKeywordsBySize = MakeKeywordsBySize();
static_assert(std::size(kKeywords) < 0xff);

// A statement starts with a keyword when its text up to its first blank is the keyword, in any letter case:
// no two keywords are alike, so one lookup of that word finds the only entry that can match. Every keyword
// starts with a Latin letter, which folds to its small form by one bit and no other character folds to.
Keyword KeywordOf(std::string_view s, size_t blank) {
    if (blank == std::string_view::npos || blank == 0 || blank > kLongestKeyword) return Keyword::None;
    const char first = s[0];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) return Keyword::None;
    const char small = static_cast<char>(first | 0x20);
    const std::string_view word = s.substr(0, blank);
    for (uint8_t i : kKeywordsBySize.of[blank]) {
        if (i == 0xff) break;
        const KeywordEntry& k = kKeywords[i];
        if ((k.word[0] | 0x20) == small && text::EqualsNoCase(k.word, word)) return k.keyword;
    }
    return Keyword::None;
}

// Whether a "+" stands before an "a": the marker of a literal "&" cannot occur otherwise.
bool MayHoldAmpMarker(std::string_view s) {
    for (size_t p = text::FindChar(s, '+'); p != std::string_view::npos; p = text::FindChar(s, '+', p + 1)) {
        if (p + 1 < s.size() && (s[p + 1] | 0x20) == 'a') return true;
    }
    return false;
}

}  // namespace

void Engine::MissingLabel(const char* routine, const std::string& labelArg) {
    Diagnose(routine, "no label \":" + text::Trim(labelArg) + "\"");
}

void Engine::Obr(std::string& s, bool f, int level) {
    // Every routine's run-time error ends that routine only; the statement goes on with its next step.
    auto guarded = [this](const char* routine, auto&& step) {
        const uint32_t game = m_Game;
        try {
            step();
        } catch (const std::exception& error) {
            if (m_Game == game) Diagnose(routine, error.what());
        }
    };

    {
        size_t k = s.find_first_not_of(' ');
        if (k != std::string::npos && s[k] == ':') {
            guarded("CountVisit", [&] { CountVisit(s); });
            m_Running = f;
            return;
        }
    }

    s += ' ';

    try {
        while (!s.empty() && (s[0] | 0x20) == 'i' && text::StartsWithNoCase(s, "IF ")) s = DoIf(s.substr(2));
    } catch (const std::exception& error) {
        // An if that cannot be decided would be retried forever; the statement ends here.
        Diagnose("if", error.what());
        m_Running = f;
        return;
    }

    size_t amp = text::FindChar(s, '&');
    if (amp != std::string::npos && !text::StartsWithNoCase(s, "xbtn") && !IsStatementButton(s)) {
        // A chain runs piece by piece: each piece before an "&" as a statement of its own, the rest as this
        // statement at level 1. A loop walking an offset, not a call per "&" nor a copy of the rest per
        // piece, so a substituted text of many thousands of pieces neither exhausts the stack nor takes
        // quadratic time. s[from..] is the rest of the chain, its tail trimmed and ended with one blank.
        if (m_ChainNesting >= Limits::kMaxChainNesting) {
            m_Running = f;
            return;
        }
        const uint32_t game = m_Game;
        size_t from = 0;
        bool tailTrimmed = false;
        for (uint32_t pieces = 1;; ++pieces) {
            if (!tailTrimmed) {
                s.erase(s.find_last_not_of(' ') + 1);  // s[amp] is "&": never npos
                s += ' ';
                tailTrimmed = true;
            }
            {
                std::string left = text::Trim(std::string_view(s).substr(from, amp - from));
                struct Nest {
                    int& n;
                    ~Nest() { --n; }
                } nest{++m_ChainNesting};
                Obr(left, false, 1);
            }
            // A long chain lets the front in like the run loop does; a new game or a stop ends it.
            if ((pieces & 63) == 0 && !m_Resetting) m_Host.ProcessEvents();
            if (m_Game != game || m_Stopping) return;
            level = 1;
            from = s.find_first_not_of(' ', amp + 1);
            if (from == std::string::npos) from = s.size() - 1;
            if (s[from] == ':') {
                std::string rest = text::Trim(std::string_view(s).substr(from));
                guarded("CountVisit", [&] { CountVisit(rest); });
                m_Running = f;
                return;
            }
            if (text::StartsWithNoCase(std::string_view(s).substr(from), "IF ")) {
                std::string rest = s.substr(from);
                try {
                    while (text::StartsWithNoCase(rest, "IF ")) rest = DoIf(rest.substr(2));
                } catch (const std::exception&) {
                    m_Running = f;
                    return;
                }
                s = std::move(rest);
                from = 0;
                tailTrimmed = false;
            }
            if (IsStatementButton(std::string_view(s).substr(from))) break;
            amp = s.find('&', from);
            if (amp == std::string::npos) break;
        }
        s.erase(0, from);
    }

    if (MayHoldAmpMarker(s)) text::ReplaceAllNoCase(s, "+alsotrv+", "&");

    // The keyword table. A statement's keyword is its first word, so of all the entries at most one can
    // match a given text, found once; the entries keep their order. The assignment entry sees the text as the
    // entry before it left it, and the entries after it see the text as Do_Perem left it, looked up again.
    size_t blank = text::FindChar(s, ' ');
    Keyword kw = KeywordOf(s, blank);

    if (kw == Keyword::End || kw == Keyword::Pause || kw == Keyword::Anykey)
        guarded("ShowPage", [&] { ShowPage(); });
    if (m_Dialect && kw == Keyword::None && blank != std::string::npos) {
        const std::string_view word = std::string_view(s).substr(0, blank);
        const std::string_view rest = text::TrimView(std::string_view(s).substr(blank));
        if (text::EqualsNoCase(word, "forget_procs") && rest.empty()) {
            ForgetProcs(level);
            m_Running = f;
            return;
        }
        if (text::EqualsNoCase(word, "music") && (rest.empty() || rest[0] != '=')) {
            if (m_Options.Music) guarded("music", [&] { PlayMusicOnce(std::string(rest)); });
            m_Running = f;
            return;
        }
    }
    auto arg = [&s](size_t from) { return from - 1 < s.size() ? s.substr(from - 1) : std::string(); };

    switch (kw) {
        case Keyword::Pln:
            guarded("pln", [&] { PrintLine(arg(5), true); });
            break;
        case Keyword::P:
            guarded("p", [&] { PrintText(arg(3), true); });
            break;
        case Keyword::Println:
            guarded("println", [&] { PrintLine(arg(9)); });
            break;
        case Keyword::Print:
            guarded("print", [&] { PrintText(arg(7)); });
            break;
        case Keyword::Instr:
            guarded("instr", [&] {
                // Nothing after this entry reads an instr statement: its text may become the value.
                if (FastPaths::AssignTextQuickly(*this, s, 6)) return;
                std::string a = arg(7);
                AssignText(a);
            });
            break;
        case Keyword::Input:
            guarded("input", [&] { InputLine(arg(7)); });
            break;
        case Keyword::InputBox:
            guarded("input_box", [&] { InputDialog(arg(11)); });
            break;
        case Keyword::Cls:
            guarded("cls", [&] { ClearScreen(); });
            break;
        case Keyword::Clsb:
            guarded("clsb", [&] { ClearButtons(); });
            break;
        case Keyword::Clst:
            guarded("clst", [&] { ClearText(); });
            break;
        case Keyword::Btn:
            guarded("btn", [&] { AddButton(arg(5)); });
            break;
        case Keyword::Xbtn:
            guarded("xbtn", [&] { AddCommandButton(arg(6)); });
            break;
        case Keyword::InvPlus:
            guarded("inv+", [&] { GiveItem(arg(6)); });
            break;
        case Keyword::InvMinus:
            guarded("inv-", [&] { TakeItem(arg(6)); });
            break;
        case Keyword::Invkill:
            guarded("invkill", [&] { KillItem(arg(8)); });
            break;
        case Keyword::Perkill:
            guarded("perkill", [&] { KillVariables(); });
            break;
        default:
            break;
    }
    const bool printsOrInstr = kw == Keyword::Println || kw == Keyword::Print || kw == Keyword::Pln ||
                               kw == Keyword::P || kw == Keyword::Instr;
    if (!printsOrInstr && text::FindChar(s, '=') != std::string::npos) {
        guarded("Do_Perem", [&] { Do_Perem(s); });
        blank = text::FindChar(s, ' ');
        kw = KeywordOf(s, blank);
    }
    switch (kw) {
        case Keyword::Save:
            guarded("save", [&] { SaveGame(arg(6)); });
            break;
        case Keyword::Goto:
            guarded("goto", [&] {
                if (!GotoLabel(arg(6), level)) MissingLabel("goto", arg(6));
            });
            break;
        case Keyword::Proc:
            if (m_Program.LabelLine(":" + text::Trim(arg(6))) < 0) MissingLabel("proc", arg(6));
            guarded("proc", [&] { CallProc(arg(6), level); });
            break;
        case Keyword::Pause:
            guarded("pause", [&] { PauseRun(arg(7)); });
            break;
        case Keyword::Anykey:
            guarded("anykey", [&] { WaitKey(arg(8)); });
            break;
        case Keyword::Quit:
            guarded("quit", [&] { QuitRun(); });
            break;
        case Keyword::Picture:
            guarded("picture", [&] { ShowFormPictures(); });
            break;
        case Keyword::Tokens:
            guarded("tokens", [&] { SplitTokens(arg(8)); });
            break;
        case Keyword::InvVisible:
            guarded("inv_visible", [&] { SetInventoryVisible(arg(13)); });
            break;
        case Keyword::Html:
            guarded("html", [&] { SetHtmlView(arg(6)); });
            break;
        case Keyword::MsgBox:
            guarded("MsgBox", [&] { ShowMessageBox(arg(8)); });
            break;
        case Keyword::Play:
            if (m_Options.Zvuk) guarded("play", [&] { PlaySound(arg(6)); });
            break;
        default:
            break;
    }
    // The family's later dialect shows a picture in the story with `image NAME`.
    if (m_Dialect && kw == Keyword::None && text::StartsWithNoCase(s, "image ") &&
        text::FindChar(s, '=') == std::string::npos)
        guarded("image", [&] { ShowInlinePicture(text::Trim(std::string_view(s).substr(6))); });

    m_Running = f;
}

}  // namespace tarvik
