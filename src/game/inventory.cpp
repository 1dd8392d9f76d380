// The inventory: inv+, inv-, invkill, inv_visible, inv_ assignments, and the item actions offered by use_
// labels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/engine.h"

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

// InvLast is a 16-bit index in saved games and in the language, so the list stops growing there.
constexpr int kMaxInvLast = 32767;

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

// The item name of an entry: the text after its first ".", trimmed.
std::string EntryName(const std::string& entryText) {
    size_t dot = entryText.find('.');
    return text::Trim(dot == std::string::npos ? std::string_view(entryText)
                                               : std::string_view(entryText).substr(dot + 1));
}

}  // namespace

// The index answers when it covers exactly the item entries; the plain search is kept for anything else.
int Engine::FindItem(std::string_view name) const {
    const std::string_view wanted = text::TrimView(name);
    const int last = std::min(m_InvLast, static_cast<int>(m_lstItems.size()) - 2);
    if (last + 1 != static_cast<int>(m_ItemSeq.size())) return FindItemSlow(wanted);
    int first = -1;
    auto [from, to] = m_ItemIndex.equal_range(wanted);
    for (auto it = from; it != to; ++it) {
        auto at = std::lower_bound(m_ItemSeq.begin(), m_ItemSeq.end(), it->second);
        if (at == m_ItemSeq.end() || *at != it->second) return FindItemSlow(wanted);
        const int i = static_cast<int>(at - m_ItemSeq.begin());
        if (first < 0 || i < first) first = i;
    }
    if (first >= 0 && !text::EqualsNoCase(EntryName(m_lstItems[static_cast<size_t>(first)].text), wanted))
        return FindItemSlow(wanted);
    return first;
}

int Engine::FindItemSlow(std::string_view wanted) const {
    int last = std::min(m_InvLast, static_cast<int>(m_lstItems.size()) - 2);
    for (int i = 0; i <= last; ++i) {
        if (text::EqualsNoCase(EntryName(m_lstItems[static_cast<size_t>(i)].text), wanted)) return i;
    }
    return -1;
}

// Inserting and removing item entries keeps the selection on the entry the player clicked.
void Engine::InsertItemEntry(std::string entryText, int32_t count) {
    if (m_InvLast >= kMaxInvLast) throw QuestError("inventory full");
    const int at = m_InvLast + 1;
    const uint64_t seq = m_NextItemSeq++;
    m_ItemIndex.emplace(EntryName(entryText), seq);
    m_lstItems.insert(m_lstItems.begin() + at, InvEntry{std::move(entryText), count});
    if (static_cast<int>(m_ItemSeq.size()) == at) m_ItemSeq.push_back(seq);
    m_InvLast = at;
    if (m_lstItemsIndex >= at) ++m_lstItemsIndex;
}

namespace {

template <class Index>
void Unindex(Index& index, const std::string& name, uint64_t seq) {
    auto [from, to] = index.equal_range(name);
    for (auto it = from; it != to; ++it) {
        if (it->second == seq) {
            index.erase(it);
            return;
        }
    }
}

}  // namespace

void Engine::RemoveItemEntry(int index) {
    const size_t at = static_cast<size_t>(index);
    if (at < m_ItemSeq.size()) {
        Unindex(m_ItemIndex, EntryName(m_lstItems[at].text), m_ItemSeq[at]);
        m_ItemSeq.erase(m_ItemSeq.begin() + index);
    }
    m_lstItems.erase(m_lstItems.begin() + index);
    --m_InvLast;
    if (m_lstItemsIndex == index) {
        m_lstItemsIndex = -1;
    } else if (m_lstItemsIndex > index) {
        --m_lstItemsIndex;
    }
}

// A changed count rewrites the entry; the name it shows may be spelt differently now.
void Engine::SetItemEntryText(int index, std::string entryText) {
    const size_t at = static_cast<size_t>(index);
    InvEntry& entry = m_lstItems[at];
    if (at < m_ItemSeq.size()) {
        std::string before = EntryName(entry.text);
        std::string after = EntryName(entryText);
        if (before != after) {
            Unindex(m_ItemIndex, before, m_ItemSeq[at]);
            m_ItemIndex.emplace(std::move(after), m_ItemSeq[at]);
        }
    }
    entry.text = std::move(entryText);
}

std::string Engine::ItemNameOf(int index) const {
    if (index < 0 || index >= static_cast<int>(m_lstItems.size()))
        throw QuestError("no such inventory entry");
    if (index == static_cast<int>(m_lstItems.size()) - 1) return "INV";
    return EntryName(m_lstItems[static_cast<size_t>(index)].text);
}

void Engine::ClearInventoryList() {
    if (m_lstItems.empty()) m_lstItems.push_back(InvEntry{Words().fixedEntry, 0});
    const int items = static_cast<int>(m_lstItems.size()) - 1;
    m_lstItems.erase(m_lstItems.begin(), m_lstItems.begin() + items);
    if (m_lstItemsIndex >= items) {
        m_lstItemsIndex -= items;
    } else {
        m_lstItemsIndex = -1;
    }
    m_InvLast = -1;
    m_ItemSeq.clear();
    m_ItemIndex.clear();
    Changed(kScreenInventory);
}

void Engine::SetZotInv() {
    std::string assign = "zot_inv=" + std::to_string(static_cast<int>(m_lstItems.size()) - 1);
    Do_Perem(assign);
}

void Engine::Message(const std::string& text, const std::string& title) {
    if (!m_Options.Soobit) Ask(text, title, 0);
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

    int i = FindItem(name);
    if (i < 0) {
        InsertItemEntry(countText + Words().pieces + name, value);
        i = m_InvLast;
    } else {
        InvEntry& entry = m_lstItems[static_cast<size_t>(i)];
        const int32_t total = AddCounts(entry.count, value);
        entry.count = total;
        SetItemEntryText(i, std::to_string(total) + Words().pieces + name);
    }
    const bool kept = m_lstItems[static_cast<size_t>(i)].count >= 1;
    if (!kept) RemoveItemEntry(i);
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

    const int i = FindItem(after);
    if (i < 0) return;
    InvEntry& entry = m_lstItems[static_cast<size_t>(i)];
    const int32_t left = AddCounts(entry.count, -static_cast<int64_t>(CountOfText(countText)));
    entry.count = left;
    SetItemEntryText(i, std::to_string(left) + Words().pieces + text::LTrim(after));
    if (left < 1) RemoveItemEntry(i);
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
    const int i = FindItem(name);
    if (i < 0) return;
    RemoveItemEntry(i);
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

    const int i = FindItem(item);
    if (i < 0) {
        if (value > 0) InsertItemEntry(v.ToText() + Words().pieces + item, ToCount(value));
    } else if (value <= 0) {
        RemoveItemEntry(i);
    } else {
        InvEntry& entry = m_lstItems[static_cast<size_t>(i)];
        entry.count = ToCount(value);
        SetItemEntryText(i, std::to_string(entry.count) + Words().pieces + item);
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

    const bool selected = m_lstItemsIndex >= 0 && m_lstItemsIndex < static_cast<int>(m_lstItems.size());
    const std::string name = selected ? ItemNameOf(m_lstItemsIndex) : std::string();

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
    if (index < 0 || index >= static_cast<int>(m_lstItems.size())) return;
    m_lstItemsIndex = index;
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
    if (m_lstItemsIndex < 0 || m_lstItemsIndex >= static_cast<int>(m_lstItems.size())) return;
    std::string label = "USE_" + ItemNameOf(m_lstItemsIndex);
    if (!action.empty() && !text::EqualsNoCase(action, Words().inspect)) label += "_" + action;
    const uint32_t game = m_Game;
    NoteStep({ReplayStep::Kind::ItemAction, 0, 0, 0, action, ItemNameOf(m_lstItemsIndex), true});
    const std::string said = ItemNameOf(m_lstItemsIndex) + ": " + (action.empty() ? Words().inspect : action);
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
    if (m_lstItemsIndex >= 0 && m_lstItemsIndex < static_cast<int>(m_lstItems.size())) ListItemActions();
}

}  // namespace tarvik
