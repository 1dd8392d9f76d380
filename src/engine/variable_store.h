// The quest's variables: their values in the order they were first assigned, and every limit on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/limits.h"
#include "engine/quest_error.h"
#include "engine/value.h"
#include "text/text.h"

namespace tarvik {

// Nothing outside this class writes a value, so the count of text bytes it keeps is always right, and a
// quest that grows texts or variables without end is stopped (QuestError) at the statement that would pass
// a limit, before the memory is taken and before anything changes.
class VariableStore {
public:
    // An entry found once and written later, after the front was let in: it is still the same entry when
    // the store has not been cleared meanwhile (only a clear removes entries, and entries never move).
    class Place {
    public:
        const Value* value() const { return m_Entry; }

    private:
        friend class VariableStore;
        Value* m_Entry = nullptr;
        uint64_t m_Clears = 0;
    };

    // The stored value of a variable, or nullptr.
    const Value* Find(std::string_view name) const;
    Place Locate(std::string_view name);
    // Names in the order of their first assignment, as saved games list them.
    const std::vector<std::string>& names() const { return m_Names; }

    void Store(std::string_view name, Value v);
    // Store, through an entry found before: no second look-up when it is still good.
    void StoreAt(const Place& place, std::string_view name, Value v);
    // Stores line[from, from + length) as the text of `name` (a view that may point into `line`): the line's
    // storage becomes the value and the line gets the old value's storage back, empty.
    void TakeText(std::string_view name, std::string& line, size_t from, size_t length);
    // Appends `tail` where the variable holds its text. False, with nothing done, when the variable holds no
    // text, or a text that reads as 0 (the sum would be a number), or the text would pass a limit.
    bool AppendText(std::string_view name, std::string_view tail);
    void Clear();

private:
    // The entry of `name` ready to take a value of `textSize` bytes of text, limits checked.
    Value& Slot(std::string_view name, size_t textSize);

    std::unordered_map<std::string, Value, text::NoCaseHash, text::NoCaseEqual> m_Values;
    std::vector<std::string> m_Names;
    size_t m_Text = 0;  // bytes of text held by all values
    uint64_t m_Clears = 0;
};

// Inline: these run for nearly every statement.

inline const Value* VariableStore::Find(std::string_view name) const {
    auto it = m_Values.find(name);
    return it == m_Values.end() ? nullptr : &it->second;
}

inline VariableStore::Place VariableStore::Locate(std::string_view name) {
    Place place;
    auto it = m_Values.find(name);
    place.m_Entry = it == m_Values.end() ? nullptr : &it->second;
    place.m_Clears = m_Clears;
    return place;
}

inline Value& VariableStore::Slot(std::string_view name, size_t textSize) {
    if (textSize > Limits::kMaxTextValue) throw QuestError("text value too long");
    auto it = m_Values.find(name);
    const size_t old = it == m_Values.end() ? 0 : it->second.str.size();
    if (m_Text - old + textSize > Limits::kMaxVariableText) throw QuestError("variables hold too much text");
    if (it == m_Values.end()) {
        if (m_Names.size() >= Limits::kMaxVariables) throw QuestError("too many variables");
        it = m_Values.try_emplace(std::string(name)).first;
        m_Names.emplace_back(name);
    }
    m_Text = m_Text - old + textSize;
    return it->second;
}

inline void VariableStore::Store(std::string_view name, Value v) {
    Slot(name, v.str.size()) = std::move(v);
}

inline void VariableStore::StoreAt(const Place& place, std::string_view name, Value v) {
    if (!place.m_Entry || place.m_Clears != m_Clears) return Store(name, std::move(v));
    const size_t old = place.m_Entry->str.size();
    if (v.str.size() > Limits::kMaxTextValue) throw QuestError("text value too long");
    if (m_Text - old + v.str.size() > Limits::kMaxVariableText)
        throw QuestError("variables hold too much text");
    m_Text = m_Text - old + v.str.size();
    *place.m_Entry = std::move(v);
}

inline bool VariableStore::AppendText(std::string_view name, std::string_view tail) {
    auto it = m_Values.find(name);
    if (it == m_Values.end()) return false;
    Value& v = it->second;
    if (!v.IsText() || v.ReadsAsZero()) return false;
    if (v.str.size() + tail.size() > Limits::kMaxTextValue || m_Text + tail.size() > Limits::kMaxVariableText)
        return false;
    m_Text += tail.size();
    v.str.append(tail);
    v.kind = NumKind::Int16;
    v.num = 0;
    return true;
}

}  // namespace tarvik
