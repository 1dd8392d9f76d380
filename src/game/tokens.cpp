// The tokens statement and the visit counters of labels.
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/fast_paths.h"

namespace tarvik {

namespace {

// Assigns a text through the assignment statement, the way every writer of a variable does.
std::string TextAssignment(const std::string& name, const std::string& value) {
    return name + "=\"" + value + "\"";
}

}  // namespace

void Engine::SplitTokens(const std::string& arg) {
    std::string expression = text::ProperCase(text::Trim(arg));
    const std::string subject = Calc(expression).ToText();
    std::string delimName = "tokens_delim";
    const std::string delim = Calc(delimName).ToText();

    if (text::EqualsNoCase(delim, "char")) {
        std::string assign = "tokens_num=" + std::to_string(subject.size());
        Do_Perem(assign);
        // One pass beyond the last character leaves the next token empty.
        for (size_t k = 1; k <= subject.size() + 1; ++k) {
            assign = TextAssignment("token" + std::to_string(k),
                                    k <= subject.size() ? subject.substr(k - 1, 1) : "");
            Do_Perem(assign);
        }
        return;
    }

    // The delimiter is the one text compared with letter case. Empty pieces are counted by position but not
    // assigned, so their token variables keep what they held.
    size_t position = 0;
    size_t assigned = 0;
    size_t from = 0;
    while (from <= subject.size()) {
        size_t at = delim.empty() ? std::string::npos : subject.find(delim, from);
        std::string piece = subject.substr(from, at == std::string::npos ? std::string::npos : at - from);
        ++position;
        if (!piece.empty()) {
            std::string assign = TextAssignment("token" + std::to_string(position), piece);
            Do_Perem(assign);
            ++assigned;
        }
        if (at == std::string::npos) break;
        from = at + delim.size();
    }
    std::string assign = "tokens_num=" + std::to_string(assigned);
    Do_Perem(assign);
}

// Every goto counts a visit, so the usual label, a plain name, skips the statement machinery: reading the
// counter and storing both numbers directly gives what the two assignments below would, events let in alike.
bool Engine::FastPaths::CountVisitQuickly(Engine& engine, const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        // Latin letters, digits and "_" are told apart without the case tables; only other letters need them.
        const bool ascii = static_cast<unsigned char>(c) < 0x80;
        const bool plain = ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain && (ascii || !text::IsLetter(c))) return false;
    }
    // Names that assignments treat specially (item counts, style variables) take the long way.
    if (AssignmentActs(name)) return false;
    // A name that reads as a number would be an expression, not a variable.
    if (text::IsNumeric(name)) return false;

    std::string counter;
    counter.reserve(name.size() + 6);
    counter += "count_";
    counter += name;
    int count = 0;
    const VariableStore::Place place = engine.m_Vars.Locate(counter);
    const Value* old = place.value();
    if (old && !old->ReadsAsZero()) {
        double v = 0;
        if (old->ToNumber(v)) {
            const double next = text::RoundHalfEven(v + 1);
            if (std::isfinite(next) && next >= -32768 && next <= 32767) count = static_cast<int>(next);
        }
    } else {
        count = 1;
    }
    if (!engine.m_Resetting) engine.m_Host.ProcessEvents();
    engine.m_Vars.StoreAt(place, counter, Value::Number(count, NumKind::Double));
    if (!engine.m_Resetting) engine.m_Host.ProcessEvents();
    engine.m_Vars.Store(name, Value::Number(count, NumKind::Double));
    return true;
}

void Engine::CountVisit(const std::string& arg) {
    std::string name = text::Trim(arg);
    if (!name.empty() && name[0] == ':') name.erase(0, 1);
    // The common locations run before every choice; counting them would say nothing.
    if (!name.empty() && (name[0] | 0x20) == 'c' && text::StartsWithNoCase(name, "common")) return;

    if (FastPaths::CountVisitQuickly(*this, name)) return;

    // The count is a 16-bit number: a count that would pass its range, or an old value that is no number,
    // starts again from 0.
    int count = 0;
    try {
        std::string counter = "count_" + text::ProperCase(name);
        double v = 0;
        if (Calc(counter).ToNumber(v)) {
            const double next = text::RoundHalfEven(v + 1);
            if (std::isfinite(next) && next >= -32768 && next <= 32767) count = static_cast<int>(next);
        }
    } catch (const QuestError&) {
    }

    std::string assign = "count_" + name + "=" + std::to_string(count);
    try {
        Do_Perem(assign);
    } catch (const QuestError&) {
    }
    assign = name + "=" + std::to_string(count);
    try {
        Do_Perem(assign);
    } catch (const QuestError&) {
    }
}

}  // namespace tarvik
