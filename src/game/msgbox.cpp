// MsgBox: a question in a modal message box, answered into a variable; the item messages.
#include "engine/engine.h"

namespace tarvik {

namespace {

// The text before the first comma, trimmed; `rest` keeps what follows it. A missing comma abandons the
// statement before anything is shown.
std::string TakeField(std::string& rest) {
    size_t comma = rest.find(',');
    if (comma == std::string::npos) throw QuestError("MsgBox: missing comma");
    std::string field = text::Trim(std::string_view(rest).substr(0, comma));
    rest.erase(0, comma + 1);
    return field;
}

}  // namespace

void Engine::ShowMessageBox(const std::string& arg) {
    std::string rest = text::Trim(arg);
    std::string field = TakeField(rest);
    std::string messageText = Calc(field).ToText();
    field = TakeField(rest);
    std::string titleText = Calc(field).ToText();
    field = TakeField(rest);
    double code = text::RoundHalfEven(text::LeadingNumber(Calc(field).ToText()));
    if (!(code >= INT16_MIN && code <= INT16_MAX)) throw QuestError("MsgBox: style out of range");
    std::string variable = text::Trim(rest);
    int answer = Ask(messageText, titleText, static_cast<int>(code));
    std::string assign = variable + "=" + std::to_string(answer);
    Do_Perem(assign);
}

// The item messages, unless the player turned them off.
void Engine::Message(const std::string& text, const std::string& title) {
    if (!m_Options.Soobit) Ask(text, title, 0);
}

}  // namespace tarvik
