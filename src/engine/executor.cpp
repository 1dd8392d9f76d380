// The statement executor: keyword dispatch.
#include "engine/engine.h"

namespace tarvik {

void Engine::Obr(std::string& s, bool f, int level) {
    // Every routine's run-time error ends that routine only; the statement goes on with its next step.
    auto guarded = [](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
        }
    };

    {
        size_t k = s.find_first_not_of(' ');
        if (k != std::string::npos && s[k] == ':') {
            guarded([&] { CountVisit(s); });
            m_Running = f;
            return;
        }
    }

    s += ' ';

    try {
        while (text::StartsWithNoCase(s, "IF ")) s = DoIf(s.substr(2));
    } catch (const std::exception&) {
        // An if that cannot be decided would be retried forever; the statement ends here.
        m_Running = f;
        return;
    }

    size_t amp = s.find('&');
    if (amp != std::string::npos && !text::StartsWithNoCase(s, "xbtn")) {
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
                guarded([&] { CountVisit(rest); });
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
            amp = s.find('&', from);
            if (amp == std::string::npos) break;
        }
        s.erase(0, from);
    }

    if (s.find('+') != std::string::npos) text::ReplaceAllNoCase(s, "+alsotrv+", "&");

    if (text::StartsWithNoCase(s, "End ") || text::StartsWithNoCase(s, "pause ") ||
        text::StartsWithNoCase(s, "anykey "))
        guarded([&] { ShowPage(); });

    // A statement starts with a keyword only if its first blank stands where the keyword's does: one
    // comparison of positions turns away nearly every entry.
    size_t blank = s.find(' ');
    auto is = [&s, &blank](std::string_view keyword) {
        size_t own = 0;  // a plain loop, so that a literal keyword's blank is known when compiling
        while (own < keyword.size() && keyword[own] != ' ') ++own;
        if (own < keyword.size() && own != blank) return false;
        return text::StartsWithNoCase(s, keyword);
    };
    auto arg = [&s](size_t from) { return from - 1 < s.size() ? s.substr(from - 1) : std::string(); };

    // The keyword table. Every entry is tested against the same text, so a statement can match several; the
    // assignment entry sees the text as earlier entries left it, and later entries see it as Do_Perem left
    // it.
    if (is("pln ")) guarded([&] { PrintLine(arg(5)); });
    if (is("p ")) guarded([&] { PrintText(arg(3)); });
    if (is("println ")) guarded([&] { PrintLine(arg(9)); });
    if (is("print ")) guarded([&] { PrintText(arg(7)); });
    if (is("instr "))
        guarded([&] {
            std::string a = arg(7);
            AssignText(a);
        });
    if (is("input ")) guarded([&] { InputLine(arg(7)); });
    if (is("input_box ")) guarded([&] { InputDialog(arg(11)); });
    if (is("cls ")) guarded([&] { ClearScreen(); });
    if (is("clsb ")) guarded([&] { ClearButtons(); });
    if (is("clst ")) guarded([&] { ClearText(); });
    if (is("btn ")) guarded([&] { AddButton(arg(5)); });
    if (is("xbtn ")) guarded([&] { AddCommandButton(arg(6)); });
    if (is("inv+ ")) guarded([&] { GiveItem(arg(6)); });
    if (is("inv- ")) guarded([&] { TakeItem(arg(6)); });
    if (is("invkill ")) guarded([&] { KillItem(arg(8)); });
    if (is("perkill ")) guarded([&] { KillVariables(); });
    if (!is("println ") && !is("print ") && !is("pln ") && !is("p ") && !is("instr ") &&
        s.find('=') != std::string::npos) {
        guarded([&] { Do_Perem(s); });
        blank = s.find(' ');
    }
    if (is("save ")) guarded([&] { SaveGame(arg(6)); });
    if (is("goto ")) guarded([&] { GotoLabel(arg(6), level); });
    if (is("proc ")) guarded([&] { CallProc(arg(6), level); });
    if (is("pause ")) guarded([&] { PauseRun(arg(7)); });
    if (is("anykey ")) guarded([&] { WaitKey(arg(8)); });
    if (is("quit ")) guarded([&] { QuitRun(); });
    if (is("picture ")) guarded([&] { ShowFormPictures(); });
    if (is("tokens ")) guarded([&] { SplitTokens(arg(8)); });
    if (is("inv_visible ")) guarded([&] { SetInventoryVisible(arg(13)); });
    if (is("html ")) guarded([&] { SetHtmlView(arg(6)); });
    if (is("MsgBox ")) guarded([&] { ShowMessageBox(arg(8)); });
    if (is("play ") && m_Options.Zvuk) guarded([&] { PlaySound(arg(6)); });

    m_Running = f;
}

}  // namespace tarvik
