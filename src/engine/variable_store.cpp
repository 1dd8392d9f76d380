#include "engine/variable_store.h"

#include "engine/limits.h"
#include "engine/quest_error.h"

namespace tarvik {

const Value* VariableStore::Find(std::string_view name) const {
    auto it = m_Values.find(name);
    return it == m_Values.end() ? nullptr : &it->second;
}

VariableStore::Place VariableStore::Locate(std::string_view name) {
    Place place;
    auto it = m_Values.find(name);
    place.m_Entry = it == m_Values.end() ? nullptr : &it->second;
    place.m_Clears = m_Clears;
    return place;
}

Value& VariableStore::Slot(std::string_view name, size_t textSize) {
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

void VariableStore::Store(std::string_view name, Value v) {
    Slot(name, v.str.size()) = std::move(v);
}

void VariableStore::StoreAt(const Place& place, std::string_view name, Value v) {
    if (!place.m_Entry || place.m_Clears != m_Clears) return Store(name, std::move(v));
    const size_t old = place.m_Entry->str.size();
    if (v.str.size() > Limits::kMaxTextValue) throw QuestError("text value too long");
    if (m_Text - old + v.str.size() > Limits::kMaxVariableText)
        throw QuestError("variables hold too much text");
    m_Text = m_Text - old + v.str.size();
    *place.m_Entry = std::move(v);
}

void VariableStore::TakeText(std::string_view name, std::string& line, size_t from, size_t length) {
    Value& slot = Slot(name, length);
    line.resize(from + length);
    line.erase(0, from);
    slot.type = Value::Type::Text;
    slot.kind = NumKind::Int16;
    slot.num = 0;
    slot.str.swap(line);
    line.clear();
}

bool VariableStore::AppendText(std::string_view name, std::string_view tail) {
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

void VariableStore::Clear() {
    m_Values.clear();
    m_Names.clear();
    m_Text = 0;
    ++m_Clears;
}

}  // namespace tarvik
