// The inventory: inv+, inv-, invkill, inv_visible, inv_ assignments, and the item actions offered by use_
// labels.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/engine.h"
#include "game/player_action.h"

namespace tarvik {

namespace {

// The fixed Russian texts, converted once to the engine's code page.
struct InventoryWords {
    std::string pieces = text::Utf8ToCp1251("шт. ");
    std::string fixedEntry = text::Utf8ToCp1251("Инвентарь");
    std::string inspect = text::Utf8ToCp1251("Осмотреть");
    std::string gotTitle = text::Utf8ToCp1251("Ты получил предмет");
    std::string got = text::Utf8ToCp1251("Ты получил ");
    std::string gaveTitle = text::Utf8ToCp1251("Ты отдал предмет");
    std::string gave = text::Utf8ToCp1251("Ты отдал ");
    std::string gaveAll = text::Utf8ToCp1251("Ты отдал все ");
    std::string emptyTitle = text::Utf8ToCp1251("Так вот!");
    std::string empty = text::Utf8ToCp1251("У тебя ничего нет");
};

const InventoryWords& Words() {
    static const InventoryWords words;
    return words;
}

// An entry's item data is a 32-bit count; a value that does not fit is an error of the statement, raised
// before anything changes so the entry's text and count never disagree.
int32_t ToCount(double v) {
    double r = text::RoundHalfEven(v);
    if (!std::isfinite(r) || r < std::numeric_limits<int32_t>::min() ||
        r > std::numeric_limits<int32_t>::max())
        throw QuestError("item count out of range");
    return static_cast<int32_t>(r);
}

int32_t CountOfText(std::string_view countText) {
    return ToCount(text::LeadingNumber(countText));
}

int32_t AddCounts(int32_t a, int64_t b) {
    return ToCount(static_cast<double>(a + b));
}

}  // namespace

void Engine::ClearInventoryList() {
    m_Items.Clear(Words().fixedEntry);
    Changed(kScreenInventory);
}

void Engine::SetZotInv() {
    std::string assign = "zot_inv=" + std::to_string(m_Items.size() - 1);
    Do_Perem(assign);
}

void Engine::GiveItem(const std::string& arg) {
    std::string s = arg;
    if (s.find(',') == std::string::npos) s = "1," + s;
    s = text::RTrim(s);
    const size_t comma = s.find(',');
    size_t blanks = comma + 1;
    while (blanks < s.size() && s[blanks] == ' ') ++blanks;
    s.erase(comma + 1, blanks - comma - 1);
    const std::string countText = s.substr(0, comma);
    const std::string name = s.substr(comma + 1);
    const int32_t value = CountOfText(countText);

    int i = m_Items.Find(name);
    if (i < 0) {
        m_Items.Insert(countText + Words().pieces + name, value);
        i = m_Items.last();
    } else {
        const int32_t total = AddCounts(m_Items[i].count, value);
        m_Items.SetEntry(i, std::to_string(total) + Words().pieces + name, total);
    }
    const bool kept = m_Items[i].count >= 1;
    if (!kept) m_Items.Remove(i);
    Changed(kScreenInventory);
    if (kept) Message(Words().got + countText + Words().pieces + name, Words().gotTitle);
    SetZotInv();
}

void Engine::TakeItem(const std::string& arg) {
    std::string s = text::RTrim(arg);
    if (s.find(',') == std::string::npos) s = "1, " + s;
    const size_t comma = s.find(',');
    const std::string countText = s.substr(0, comma);
    const std::string after = s.substr(comma + 1);

    const int i = m_Items.Find(after);
    if (i < 0) return;
    const int32_t left = AddCounts(m_Items[i].count, -static_cast<int64_t>(CountOfText(countText)));
    m_Items.SetEntry(i, std::to_string(left) + Words().pieces + text::LTrim(after), left);
    if (left < 1) m_Items.Remove(i);
    Changed(kScreenInventory);
    // The message repeats the statement as written, blanks after the comma included.
    Message(Words().gave + countText + Words().pieces + after, Words().gaveTitle);
    SetZotInv();
}

void Engine::KillItem(const std::string& arg) {
    const std::string name = text::Trim(arg);
    if (name.empty()) {
        ClearInventoryList();
        Message(Words().empty, Words().emptyTitle);
        SetZotInv();
        return;
    }
    const int i = m_Items.Find(name);
    if (i < 0) return;
    m_Items.Remove(i);
    Changed(kScreenInventory);
    const size_t comma = arg.find(',');
    Message(Words().gaveAll + (comma == std::string::npos ? arg : arg.substr(comma + 1)), Words().gaveTitle);
    SetZotInv();
}

void Engine::SetInventoryCount(const std::string& item, const Value& v) {
    double value = 0;
    if (v.IsNumber()) {
        value = v.num;
    } else if (v.IsText() && !text::IsNumeric(v.str, &value)) {
        return;  // a text that is no number cannot be compared with 0: the count stays
    }
    if (std::isnan(value)) return;

    const int i = m_Items.Find(item);
    if (i < 0) {
        if (value > 0) m_Items.Insert(v.ToText() + Words().pieces + item, ToCount(value));
    } else if (value <= 0) {
        m_Items.Remove(i);
    } else {
        const int32_t count = ToCount(value);
        m_Items.SetEntry(i, std::to_string(count) + Words().pieces + item, count);
    }
    Changed(kScreenInventory);
}

void Engine::SetInventoryVisible(const std::string& arg) {
    if (m_Options.SvBlock) return;
    const bool show = text::EqualsNoCase(text::Trim(arg), "true");
    if (show != m_Options.inv) SetOption("inv", show);
}

void Engine::ListItemActions() {
    m_Combo1.clear();
    m_Combo1Index = -1;
    m_Combo1Enabled = false;

    const bool selected = m_Items.HasSelection();
    const std::string name = selected ? m_Items.NameAt(m_Items.selected()) : std::string();

    // A failed evaluation of a hide_use_ switch hides, like any value that is not 0.
    auto hidden = [this](std::string variable) {
        try {
            return !Calc(variable).ReadsAsZero();
        } catch (const QuestError&) {
            return true;
        }
    };

    if (selected && !hidden("hide_use_" + name)) {
        // The label list holds every label line followed by CR LF; an occurrence whose rest does not begin
        // with
        // "_" belongs to an item whose name only begins with this one.
        const std::string needle = "USE_" + name;
        std::vector<std::string> actions;
        const std::string& labels = m_Program.labelList();
        size_t p = text::FindNoCase(labels, needle);
        while (p != std::string::npos) {
            const size_t from = p + needle.size();
            const size_t eol = labels.find("\r\n", from);
            std::string rest = text::Trim(std::string_view(labels).substr(
                from, eol == std::string::npos ? std::string::npos : eol - from));
            if (rest.empty()) rest = "_" + Words().inspect;
            if (rest[0] == '_') actions.push_back(rest.substr(1));
            p = text::FindNoCase(labels, needle, p + 1);
        }
        for (const std::string& action : actions) {
            if (!hidden("hide_use_" + name + "_" + text::ProperCase(action))) m_Combo1.push_back(action);
        }
    }

    if (!m_Combo1.empty()) {
        m_Combo1Index = 0;
        m_Combo1Enabled = true;
    }
    Changed(kScreenActions);
}

void Engine::ClickItem(int index) {
    // The list is disabled while the input line waits for the player's text.
    if (m_Text1Visible) return;
    if (index < 0 || index >= m_Items.size()) return;
    m_Items.Select(index);
    Changed(kScreenInventory);
    ListItemActions();
}

void Engine::SelectAction(int index) {
    if (!m_Combo1Enabled || index < 0 || index >= static_cast<int>(m_Combo1.size())) return;
    m_Combo1Index = index;
    Changed(kScreenActions);
}

// The run button is disabled while no action is offered.
void Engine::ChooseAction(int index) {
    if (!m_Combo1Enabled || index < 0 || index >= static_cast<int>(m_Combo1.size())) return;
    SelectAction(index);
    const std::string action = m_Combo1[static_cast<size_t>(index)];
    RunItemAction(action);
}

void Engine::RunItemAction(const std::string& action) {
    if (!m_Items.HasSelection()) return;
    const std::string item = m_Items.NameAt(m_Items.selected());
    std::string label = "USE_" + item;
    if (!action.empty() && !text::EqualsNoCase(action, Words().inspect)) label += "_" + action;
    const uint32_t game = m_Game;
    NoteStep({ReplayStep::Kind::ItemAction, 0, 0, 0, action, item, true});
    const std::string said = item + ": " + (action.empty() ? Words().inspect : action);
    // An action the quest has no procedure for changes nothing, so it leaves no undo step.
    std::optional<PlayerAction> scope;
    std::string key(1, ':');
    key += text::Trim(label);
    if (LabelLine(key) >= 0)
        scope.emplace(*this, said);
    else
        NotePlayer(said);
    try {
        CallProc(label, 1);
    } catch (const QuestError&) {
    }
    if (m_Game == game && !m_Stopping) RefreshItemActions();
}

void Engine::RefreshItemActions() {
    // The run may have hidden, added or taken away actions; the chooser must not offer what it computed
    // before.
    if (m_Items.HasSelection()) ListItemActions();
}

}  // namespace tarvik
