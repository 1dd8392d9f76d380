#include "game/item_list.h"

#include <algorithm>

#include "engine/quest_error.h"

namespace tarvik {

namespace {

// InvLast is a 16-bit index in saved games and in the language, so the list stops growing there.
constexpr int kMaxInvLast = 32767;

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

std::string ItemList::NameOf(const std::string& entryText) {
    size_t dot = entryText.find('.');
    return text::Trim(dot == std::string::npos ? std::string_view(entryText)
                                               : std::string_view(entryText).substr(dot + 1));
}

std::string ItemList::NameAt(int index) const {
    if (index < 0 || index >= size()) throw QuestError("no such inventory entry");
    if (index == size() - 1) return "INV";
    return NameOf((*this)[index].text);
}

// The index answers when it covers exactly the item entries; the plain search is kept for anything else.
int ItemList::Find(std::string_view name) const {
    const std::string_view wanted = text::TrimView(name);
    const int last = std::min(m_Last, size() - 2);
    if (last + 1 != static_cast<int>(m_Seq.size())) return FindSlow(wanted);
    int first = -1;
    auto [from, to] = m_Index.equal_range(wanted);
    for (auto it = from; it != to; ++it) {
        auto at = std::lower_bound(m_Seq.begin(), m_Seq.end(), it->second);
        if (at == m_Seq.end() || *at != it->second) return FindSlow(wanted);
        const int i = static_cast<int>(at - m_Seq.begin());
        if (first < 0 || i < first) first = i;
    }
    if (first >= 0 && !text::EqualsNoCase(NameOf((*this)[first].text), wanted)) return FindSlow(wanted);
    return first;
}

int ItemList::FindSlow(std::string_view wanted) const {
    const int last = std::min(m_Last, size() - 2);
    for (int i = 0; i <= last; ++i) {
        if (text::EqualsNoCase(NameOf((*this)[i].text), wanted)) return i;
    }
    return -1;
}

// Inserting and removing item entries keeps the selection on the entry the player clicked.
void ItemList::Insert(std::string entryText, int32_t count) {
    if (m_Last >= kMaxInvLast) throw QuestError("inventory full");
    const int at = m_Last + 1;
    const uint64_t seq = m_NextSeq++;
    m_Index.emplace(NameOf(entryText), seq);
    m_Entries.insert(m_Entries.begin() + at, InvEntry{std::move(entryText), count});
    if (static_cast<int>(m_Seq.size()) == at) m_Seq.push_back(seq);
    m_Last = at;
    if (m_Selected >= at) ++m_Selected;
}

void ItemList::Remove(int index) {
    const size_t at = static_cast<size_t>(index);
    if (at < m_Seq.size()) {
        Unindex(m_Index, NameOf(m_Entries[at].text), m_Seq[at]);
        m_Seq.erase(m_Seq.begin() + index);
    }
    m_Entries.erase(m_Entries.begin() + index);
    --m_Last;
    if (m_Selected == index) {
        m_Selected = -1;
    } else if (m_Selected > index) {
        --m_Selected;
    }
}

void ItemList::SetEntry(int index, std::string entryText, int32_t count) {
    const size_t at = static_cast<size_t>(index);
    InvEntry& entry = m_Entries[at];
    if (at < m_Seq.size()) {
        std::string before = NameOf(entry.text);
        std::string after = NameOf(entryText);
        if (before != after) {
            Unindex(m_Index, before, m_Seq[at]);
            m_Index.emplace(std::move(after), m_Seq[at]);
        }
    }
    entry.text = std::move(entryText);
    entry.count = count;
}

void ItemList::Clear(const std::string& fixedEntry) {
    if (m_Entries.empty()) m_Entries.push_back(InvEntry{fixedEntry, 0});
    const int items = size() - 1;
    m_Entries.erase(m_Entries.begin(), m_Entries.begin() + items);
    if (m_Selected >= items) {
        m_Selected -= items;
    } else {
        m_Selected = -1;
    }
    m_Last = -1;
    m_Seq.clear();
    m_Index.clear();
}

}  // namespace tarvik
