#include "engine/variable_store.h"

namespace tarvik {

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

void VariableStore::Clear() {
    m_Values.clear();
    m_Names.clear();
    m_Text = 0;
    ++m_Clears;
}

}  // namespace tarvik
