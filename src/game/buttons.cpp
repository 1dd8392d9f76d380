// Buttons: declaring them (btn, xbtn), the player's events on the button list and the sequence of a choice.
#include <string>

#include "engine/engine.h"
#include "game/player_action.h"
#include "text/inline_html.h"

namespace tarvik {

namespace {

const std::string kCrLf = "\r\n";
const std::string kPhantomMark = " //phantom";

}  // namespace

bool EngineState::IsStatementButton(std::string_view statement) const {
    statement = text::TrimView(statement);
    if (!m_Dialect || !text::StartsWithNoCase(statement, "btn ")) return false;
    const size_t amp = statement.find('&');
    return amp != std::string_view::npos && amp < statement.find(',');
}

void Engine::AddButton(const std::string& arg) {
    if (m_List1.size() >= Limits::kMaxButtons) throw QuestError("too many buttons");
    std::string s = text::LTrim(arg);
    size_t comma = s.find(',');
    if (comma == std::string::npos) throw QuestError("btn without a comma");
    if (IsStatementButton("btn " + s)) {
        // The commands end at the first "," after the last "&": the caption may hold commas of its own.
        const size_t split = s.find(',', s.rfind('&'));
        if (split == std::string::npos) throw QuestError("btn without a comma");
        m_List1.push_back(text::StripInlineTags(text::LTrim(std::string_view(s).substr(split + 1))));
        m_BtnLabels.resize(m_List1.size());
        m_BtnCommands.resize(m_List1.size());
        m_BtnLabels.back().clear();
        m_BtnCommands.back() = s.substr(0, split);
        Changed(kScreenButtons);
        return;
    }
    std::string label = s.substr(0, comma);
    std::string caption = text::LTrim(std::string_view(s).substr(comma + 1));
    if (m_Dialect) caption = text::StripInlineTags(caption);

    if (!m_Program.LabelListed(label)) {
        std::string name = "hide_phantoms";
        if (!Calc(name).ReadsAsZero()) return;
        caption += kPhantomMark;
    }
    m_List1.push_back(caption);
    m_BtnLabels.resize(m_List1.size());
    m_BtnCommands.resize(m_List1.size());
    m_BtnLabels.back() = label;
    m_BtnCommands.back().clear();
    Changed(kScreenButtons);
}

void Engine::AddCommandButton(const std::string& arg) {
    if (m_List1.size() >= Limits::kMaxButtons) throw QuestError("too many buttons");
    std::string s = text::LTrim(arg);
    size_t comma = s.find(',');
    if (comma == std::string::npos) throw QuestError("xbtn without a comma");
    std::string label = s.substr(0, comma);
    std::string rest = s.substr(comma + 1);

    std::string statements;
    std::string caption;
    size_t open = rest.find('{');
    if (open != std::string::npos) {
        size_t close = rest.find('}', open + 1);
        if (close == std::string::npos) throw QuestError("xbtn with an unclosed brace");
        size_t second = rest.find(',', close + 1);
        if (second == std::string::npos) throw QuestError("xbtn without a caption");
        statements = rest.substr(open + 1, close - open - 1);
        caption = rest.substr(second + 1);
    } else {
        size_t second = rest.find(',');
        if (second == std::string::npos) throw QuestError("xbtn without a caption");
        statements = rest.substr(0, second);
        caption = rest.substr(second + 1);
    }
    caption = text::LTrim(caption);
    if (m_Dialect) caption = text::StripInlineTags(caption);

    if (m_Program.LabelListed(label)) {
        std::string commands;
        commands.reserve(statements.size());
        for (char c : statements) {
            if (c == '|') {
                commands += kCrLf;
            } else {
                commands += c;
            }
        }
        m_List1.push_back(caption);
        m_BtnLabels.resize(m_List1.size());
        m_BtnCommands.resize(m_List1.size());
        m_BtnLabels.back() = label;
        m_BtnCommands.back() = std::move(commands);
    } else {
        std::string name = "hide_phantoms";
        if (!Calc(name).ReadsAsZero()) return;
        m_List1.push_back(caption + kPhantomMark);
        m_BtnLabels.resize(m_List1.size());
        m_BtnCommands.resize(m_List1.size());
        m_BtnLabels.back() = label;
        m_BtnCommands.back().clear();
    }
    Changed(kScreenButtons);
}

void Engine::ChooseButton() {
    if (m_List1Index < 0 || m_List1Index >= static_cast<int>(m_List1.size())) return;
    const int chosen = m_List1Index;
    const size_t at = static_cast<size_t>(chosen);
    const std::string label = at < m_BtnLabels.size() ? m_BtnLabels[at] : std::string();
    const std::string commands = at < m_BtnCommands.size() ? m_BtnCommands[at] : std::string();
    const std::string caption = m_List1[at];
    const bool link = buttonLink(at) != 0;

    // A button with statements has commands and no label.
    const bool statements = m_Dialect && label.empty() && !commands.empty();
    // A phantom leads nowhere: the screen stays as it is.
    if (!statements && LabelLine(":" + label) < 0) {
        Diagnose("btn", "the button \"" + text::Trim(caption) +
                            "\" leads to no label \":" + text::Trim(label) + "\"");
        return;
    }
    PlayerAction action(*this, text::Trim(caption));
    NoteStep({ReplayStep::Kind::Button, chosen, 0, 0, text::Trim(caption), {}, true});

    const uint32_t game = m_Game;
    try {
        // A link's story is a running transcript: its choice keeps the text.
        if (link)
            ClearButtons();
        else
            ClearScreen();

        std::string commonName = "Common";
        std::string common = Calc(commonName).ToText();
        std::string commonLabel = common == "0" ? std::string("Common") : "Common_" + common;
        GotoLabel(commonLabel, 1);
        int level = 1;
        std::string none;
        RunLabel(level, none);

        if (statements) {
            if (m_Game != game || m_Stopping) return;
            std::string assign = "Last_Btn_Caption=\"" + text::Trim(caption) + "\"";
            Do_Perem(assign);
            // The commands run at level 1 as a line of their own: a goto among them decides where the run
            // goes on, and without one it ends with them.
            m_NextLine.resize(2);
            m_NextLine[1] = static_cast<int32_t>(m_Program.size());
            std::string line = commands;
            level = 1;
            RunLabel(level, line);
            level = 1;
            none.clear();
            if (m_Game == game && !m_Stopping) RunLabel(level, none);
        } else {
            // The button's own statements run before the jump, so its location sees what they set. A new game
            // started meanwhile, or the front closing, ends the choice.
            size_t from = 0;
            while (from < commands.size() && m_Game == game && !m_Stopping) {
                size_t end = commands.find(kCrLf, from);
                std::string statement =
                    commands.substr(from, end == std::string::npos ? std::string::npos : end - from);
                from = end == std::string::npos ? commands.size() : end + kCrLf.size();
                Obr(statement, true, 1);
            }

            if (m_Game != game || m_Stopping) return;
            GotoLabel(label, 1);
            std::string current = "current_loc";
            std::string assign = "previous_loc=\"" + Calc(current).ToText() + "\"";
            Do_Perem(assign);
            assign = "current_loc=\"" + label + "\"";
            Do_Perem(assign);
            assign = "Last_Btn_Caption=\"" + text::Trim(caption) + "\"";
            Do_Perem(assign);

            level = 1;
            none.clear();
            RunLabel(level, none);
        }
    } catch (const QuestError&) {
        return;
    }
    if (m_Game == game && !m_Stopping) RefreshItemActions();

    if (m_Options.clk) {
        if (static_cast<int>(m_List1.size()) > chosen) {
            m_List1Index = chosen;
        } else if (!m_List1.empty()) {
            m_List1Index = 0;
        }
        Changed(kScreenButtons);
    }
}

void Engine::SelectButton(int index) {
    if (index < -1 || index >= static_cast<int>(m_List1.size())) return;
    m_List1Index = index;
    Changed(kScreenButtons);
}

// The list is disabled while the input line waits for the player's text.
void Engine::ChooseButton(int index) {
    if (index >= 0) SelectButton(index);
    if (m_Text1Visible) return;
    ChooseButton();
}

void Engine::ChooseLink(int link) {
    if (link == 0) return;
    for (size_t i = 0; i < m_List1.size(); ++i)
        if (buttonLink(i) == link) return ChooseButton(static_cast<int>(i));
}

void Engine::ClickButtonList(int index) {
    if (index >= 0) SelectButton(index);
    if (m_Text1Visible) return;
    if (m_List1.empty()) StoreKeyPress("13");
    if (m_Options.clk) ChooseButton();
}

void Engine::PressButtonListKey(int index, int code) {
    if (index >= 0) SelectButton(index);
    if (m_Text1Visible) return;
    if (code == 13 && !m_List1.empty()) {
        ChooseButton();
        return;
    }
    StoreKeyPress(std::to_string(code));
}

}  // namespace tarvik
