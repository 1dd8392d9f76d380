// Printing to the story text and clearing the screen.

#include "engine/engine.h"
#include "text/inline_html.h"

namespace tarvik {

void Engine::PrintText(const std::string& t, bool links) {
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
    if (m_Dialect) return PrintDialectText(piece, links);

    // A colour the text area cannot take leaves the run in the colour of the text it is appended to.
    int32_t colour = m_TextRuns.empty() ? 0 : m_TextRuns.back().color;
    std::string key = "Style_TextColor";
    Calc(key).ToWhole32(colour);

    TextRun look;
    look.color = colour;
    look.modeColour = colour == ModeTextColour(m_ColourMode);
    // Most prints go on in the look of the text before them: appended without a run of their own.
    if (!m_TextRuns.empty() && m_TextRuns.back().SameLook(look)) {
        m_TextRuns.back().text.append(piece);
        m_TextLength += piece.size();
        Changed(kScreenText);
        return;
    }
    look.text = piece;
    AppendRun(std::move(look));
}

void Engine::PrintLine(const std::string& t, bool links) {
    PrintText(t + "\r\n ", links);
}

void Engine::AppendRun(TextRun run) {
    m_TextLength += run.text.size();
    if (!m_TextRuns.empty() && m_TextRuns.back().SameLook(run))
        m_TextRuns.back().text.append(run.text);
    else
        m_TextRuns.push_back(std::move(run));
    Changed(kScreenText);
}

void Engine::PrintDialectText(std::string_view piece, bool links) {
    int32_t colour = m_TextRuns.empty() ? 0 : m_TextRuns.back().color;
    std::string key = "Style_TextColor";
    Calc(key).ToWhole32(colour);
    int32_t textAlign = 0;
    key = "textalign";
    Calc(key).ToWhole32(textAlign);
    const uint8_t lineAlign = textAlign >= 1 && textAlign <= 3 ? static_cast<uint8_t>(textAlign) : 0;

    for (auto& part : text::ParseInlineHtml(piece, links)) {
        TextRun run;
        run.color = part.style.color >= 0 ? part.style.color : colour;
        run.modeColour = run.color == ModeTextColour(m_ColourMode);
        run.bold = part.style.bold;
        run.italic = part.style.italic;
        run.underline = part.style.underline;
        run.align = part.style.align ? part.style.align : lineAlign;
        run.heading = part.style.heading;
        run.size = part.style.size;
        switch (part.kind) {
            case text::InlinePiece::Kind::Text:
                run.text = std::move(part.text);
                break;
            case text::InlinePiece::Kind::Rule:
                run.rule = true;
                break;
            case text::InlinePiece::Kind::Picture:
                run.picture = std::move(part.text);
                break;
            case text::InlinePiece::Kind::Link: {
                // The entry is made as `btn trim(L), C` would make it; a phantom's caption stays plain text.
                const std::string label = text::Trim(part.target);
                const size_t before = m_List1.size();
                AddButton(label + "," + part.text);
                if (m_List1.size() > before) {
                    m_BtnLinks.resize(m_List1.size());
                    m_BtnLinks.back() = ++m_LastLink;
                    if (m_Program.LabelListed(label)) {
                        run.link = m_LastLink;
                        run.underline = true;
                    }
                }
                run.text = std::move(part.text);
                break;
            }
        }
        AppendRun(std::move(run));
    }
}

void Engine::ShowInlinePicture(const std::string& name) {
    if (name.empty()) return;
    TextRun run;
    run.color = m_TextRuns.empty() ? 0 : m_TextRuns.back().color;
    run.picture = name;
    AppendRun(std::move(run));
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
    m_BtnLinks.clear();
    m_List1Index = -1;
    Changed(kScreenButtons);
}

void Engine::ShowPage() {
    if (m_StyleDirty) do_style();
    Changed(kScreenPageTop);
    ShowHtml();
}

}  // namespace tarvik
