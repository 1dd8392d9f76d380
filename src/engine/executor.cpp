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
        std::string left = text::Trim(std::string_view(s).substr(0, amp));
        std::string right = text::Trim(std::string_view(s).substr(amp + 1));
        Obr(left, false, 1);
        Obr(right, f, 1);
        return;
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
    // "picture ": main-window pictures arrive with picture support.
    if (is("tokens ")) guarded([&] { SplitTokens(arg(8)); });
    if (is("inv_visible ")) guarded([&] { SetInventoryVisible(arg(13)); });
    // "html ": the HTML view arrives with its own support.
    if (is("MsgBox ")) guarded([&] { ShowMessageBox(arg(8)); });
    // "play ": sounds arrive with sound support.

    m_Running = f;
}

}  // namespace tarvik
