// The inventory list: item entries 0..InvLast, then the fixed "Инвентарь" entry, and the entry clicked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/text.h"

namespace tarvik {

// An entry of the inventory list: items first, the fixed "Инвентарь" entry last.
struct InvEntry {
    std::string text;
    int32_t count = 0;
};

// Entries change only through this class, which keeps the name index and the selection in step with them.
class ItemList {
public:
    const std::vector<InvEntry>& entries() const { return m_Entries; }
    const InvEntry& operator[](int index) const { return m_Entries[static_cast<size_t>(index)]; }
    int size() const { return static_cast<int>(m_Entries.size()); }
    int last() const { return m_Last; }  // InvLast: the last item entry, -1 for none
    int selected() const { return m_Selected; }
    bool HasSelection() const { return m_Selected >= 0 && m_Selected < size(); }
    void Select(int index) { m_Selected = index; }

    // The item name of entry `index`, "INV" for the fixed entry; QuestError when there is no such entry.
    std::string NameAt(int index) const;
    // The item entry of a name (blanks around it aside), or -1.
    int Find(std::string_view name) const;
    // The item name of an entry: the text after its first ".", trimmed.
    static std::string NameOf(const std::string& entryText);
    // Adds an item entry after the last; QuestError when InvLast would pass its 16-bit range.
    void Insert(std::string entryText, int32_t count);
    void Remove(int index);
    // A changed count rewrites the entry; the name it shows may be spelt differently now.
    void SetEntry(int index, std::string entryText, int32_t count);
    // Leaves the fixed entry alone (`fixedEntry` is it when the list is still empty).
    void Clear(const std::string& fixedEntry);

private:
    int FindSlow(std::string_view wanted) const;

    std::vector<InvEntry> m_Entries;
    int m_Last = -1;
    int m_Selected = -1;
    // Item entries 0..InvLast carry increasing sequence numbers (entries are only ever added at the end), so
    // an entry's position is found from its number by a binary search; the names map to the numbers.
    std::vector<uint64_t> m_Seq;
    std::unordered_multimap<std::string, uint64_t, text::NoCaseHash, text::NoCaseEqual> m_Index;
    uint64_t m_NextSeq = 0;
};

}  // namespace tarvik
