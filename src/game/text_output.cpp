// Printing to the story text and clearing the screen.

#include "engine/engine.h"

namespace tarvik {

void Engine::PrintText(const std::string& t) {
    if (m_Frame1Visible) {
        if (m_HtmlBuffer.size() + t.size() > Limits::kMaxScreenText) throw QuestError("HTML text too long");
        m_HtmlBuffer += t;
        return;
    }
    // The argument always ends with the executor's blank; a bare "p" has none, and prints nothing.
    if (t.empty()) throw QuestError("PrintText: empty argument");
    std::string_view piece(t.data(), t.size() - 1);
    if (piece.empty()) return;
    // A quest printing forever keeps its page at the limit instead of taking all memory.
    if (m_TextLength + piece.size() > Limits::kMaxScreenText) throw QuestError("screen text too long");

    // A colour the text area cannot take leaves the run in the colour of the text it is appended to.
    int32_t colour = m_TextRuns.empty() ? 0 : m_TextRuns.back().color;
    std::string key = "Style_TextColor";
    Calc(key).ToWhole32(colour);

    const bool modeColour = colour == ModeTextColour(m_ColourMode);
    if (!m_TextRuns.empty() && m_TextRuns.back().color == colour &&
        m_TextRuns.back().modeColour == modeColour)
        m_TextRuns.back().text.append(piece);
    else
        m_TextRuns.push_back({std::string(piece), colour, modeColour});
    m_TextLength += piece.size();
    Changed(kScreenText);
}

void Engine::PrintLine(const std::string& t) {
    PrintText(t + "\r\n ");
}

void Engine::ClearScreen() {
    ClearText();
    ClearButtons();
}

void Engine::ClearText() {
    m_TextRuns.clear();
    m_TextLength = 0;
    Changed(kScreenText);
}

void Engine::ClearButtons() {
    m_List1.clear();
    m_List1Index = -1;
    Changed(kScreenButtons);
}

void Engine::ShowPage() {
    if (m_StyleDirty) do_style();
    Changed(kScreenPageTop);
    ShowHtml();
}

}  // namespace tarvik
