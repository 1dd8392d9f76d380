// The assignment statement, and the engine's way into the variable store.
#include <algorithm>
#include <cstdint>

#include "engine/engine.h"
#include "engine/fast_paths.h"

namespace tarvik {

namespace {

// The sixteen DOS colours as RGB values (red + 256 * green + 65536 * blue).
constexpr int32_t kDosColours[16] = {0,       8388608,  32768, 8421376,  128, 8388736,  32896, 12632256,
                                     8421504, 16711680, 65280, 16776960, 255, 16711935, 65535, 16777215};

// A CSS colour "#rgb" or "#rrggbb" as the language's colour number; -1 for any other text.
int32_t CssColour(std::string_view css) {
    if (css.size() != 4 && css.size() != 7) return -1;
    if (css[0] != '#') return -1;
    int32_t digits[6] = {};
    for (size_t i = 1; i < css.size(); ++i) {
        const char c = static_cast<char>(css[i] | 0x20);
        if (css[i] >= '0' && css[i] <= '9')
            digits[i - 1] = css[i] - '0';
        else if (c >= 'a' && c <= 'f')
            digits[i - 1] = c - 'a' + 10;
        else
            return -1;
    }
    int32_t rgb[3];
    for (int k = 0; k < 3; ++k)
        rgb[k] = css.size() == 4 ? digits[k] * 17 : digits[2 * k] * 16 + digits[2 * k + 1];
    return rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
}

struct Predefined {
    const char* name;
    int value;
};
constexpr Predefined kPredefined[] = {
    {"zot_type", 1},    {"fp_prec", 2},  {"zotNone", 0}, {"zotError", 16}, {"zotQuestion", 32},
    {"zotWarning", 48}, {"zotInfo", 64}, {"ZotOk", 0},   {"ZotOkCan", 1},  {"ZotARI", 2},
    {"ZotYNC", 3},      {"ZotYN", 4},    {"ZotRC", 5},
};

// A kept colour must survive perkill even when a quest stored something odd in it: a value that is no whole
// 32-bit number is kept as 0 rather than failing the whole reset.
int32_t KeptColour(const Value& v) {
    int32_t colour = 0;
    return v.ToWhole32(colour) ? colour : 0;
}

}  // namespace

void Engine::Do_Perem(std::string& s) {
    // No letters in these: a look beside each "=" says whether there is anything to replace. Taking out
    // blanks after an "=" never puts one before an "=" that had none.
    bool blankAfter = false, blankBefore = false;
    for (size_t e = text::FindChar(s, '='); e != std::string::npos; e = text::FindChar(s, '=', e + 1)) {
        blankBefore = blankBefore || (e > 0 && s[e - 1] == ' ');
        blankAfter = blankAfter || (e + 1 < s.size() && s[e + 1] == ' ');
    }
    if (blankAfter) text::ReplaceRepeatedly(s, "= ", "=");
    if (blankBefore) text::ReplaceRepeatedly(s, " =", "=");
    // Trimmed in place: a long text is not copied for it.
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    s.erase(s.find_last_not_of(' ') + 1);

    // Not while a reset is half done: a new game started from in there would be cleared again by the rest.
    if (!m_Resetting) m_Host.ProcessEvents();

    size_t p = text::FindChar(s, '=');
    if (p == std::string::npos) throw QuestError("Do_Perem: no '='");

    std::string name;
    Value value;
    if (p + 1 < s.size() && s[p + 1] == '"' && s.back() == '"') {
        if (s.size() < p + 3) throw QuestError("Do_Perem: lone quote");
        name = s.substr(0, p);
        value = Value::Text(s.substr(p + 2, s.size() - p - 3));
    } else {
        // The first "+=", else the first "-=", else the first "*=": each stands just before an "=".
        size_t firstOp[3] = {std::string::npos, std::string::npos, std::string::npos};
        for (size_t e = p; e != std::string::npos; e = text::FindChar(s, '=', e + 1)) {
            const char before = e > 0 ? s[e - 1] : '\0';
            const int k = before == '+' ? 0 : before == '-' ? 1 : before == '*' ? 2 : -1;
            if (k >= 0 && firstOp[k] == std::string::npos) firstOp[k] = e - 1;
        }
        static constexpr char kOpChars[] = {'+', '-', '*'};
        size_t op = std::string::npos;
        char opChar = 0;
        for (int k = 0; k < 3 && op == std::string::npos; ++k) {
            op = firstOp[k];
            if (op != std::string::npos) opChar = kOpChars[k];
        }
        try {
            if (op != std::string::npos) {
                name = s.substr(0, op);
                std::string expr = s.substr(op + 2);
                Value left = Calc(name);  // leaves the name trimmed: that is the key stored below
                Value right = Calc(expr);
                value = Arithmetic(opChar, left, right);
            } else {
                name = s.substr(0, p);
                std::string expr = s.substr(p + 1);
                // The item counts and styles need the rest of this routine; a text grown in place does not.
                if (FastPaths::AppendTextQuickly(*this, name, expr)) return;
                value = Calc(expr);
            }
        } catch (const QuestError&) {
            // An error that the evaluator passes on leaves the variable holding the empty value.
            if (op != std::string::npos && name.empty()) name = s.substr(0, op);
            value = Value::Empty();
        }
    }

    // A variable without a name could not be read or saved back; such an assignment changes nothing.
    if (name.empty()) return;
    const bool inventoryCount = (s[0] | 0x20) == 'i' && text::StartsWithNoCase(s, "inv_");
    if (m_Dialect && value.IsText()) {
        const std::string_view key = text::TrimView(name);
        if (text::EqualsNoCase(key, "Style_TextColor") || text::EqualsNoCase(key, "Style_BackColor")) {
            if (const int32_t colour = CssColour(value.str); colour >= 0) value = Value::Int32(colour);
        }
    }
    Value stored = inventoryCount ? value : Value();
    m_Vars.Store(name, std::move(value));
    if (!AssignmentActs(s)) return;

    if (text::StartsWithNoCase(s, "Style_DOS_TextColor")) {
        std::string key = "Style_DOS_TextColor";
        int32_t colour = 0;
        if (!Calc(key).ToWhole32(colour)) throw QuestError("Do_Perem: DOS colour is no whole number");
        if (colour >= 0 && colour <= 15) colour = kDosColours[colour];
        std::string set = "Style_TextColor=" + std::to_string(colour);
        Do_Perem(set);
        m_StyleDirty = true;
        return;
    }
    if (text::StartsWithNoCase(s, "STYLE") || text::StartsWithNoCase(s, "IMAGE")) {
        m_StyleDirty = true;
        return;
    }
    if (m_Options.Music && text::StartsWithNoCase(s, "MUSIC")) PlayMusic();
    if (inventoryCount) SetInventoryCount(name.size() > 4 ? name.substr(4) : std::string(), stored);
}

// The names whose assignment does more than store the value: item counts, styles and pictures, music.
bool Engine::AssignmentActs(std::string_view name) {
    // Most names start with none of their letters (a Latin letter's two cases differ in one bit).
    const char first = name.empty() ? '\0' : static_cast<char>(name[0] | 0x20);
    if (first != 'i' && first != 's' && first != 'm') return false;
    return text::StartsWithNoCase(name, "inv_") || text::StartsWithNoCase(name, "STYLE") ||
           text::StartsWithNoCase(name, "IMAGE") || text::StartsWithNoCase(name, "MUSIC");
}

void Engine::AssignText(std::string& t) {
    if (!t.empty()) t.pop_back();
    text::ReplaceRepeatedly(t, " =", "=");
    t.erase(0, std::min(t.find_first_not_of(' '), t.size()));
    size_t p = t.find('=');
    if (p == std::string::npos) throw QuestError("instr: no '='");
    // The text becomes the quoted assignment where it stands.
    t.reserve(t.size() + 2);
    t.insert(p + 1, 1, '"');
    t += '"';
    Do_Perem(t);
}

bool Engine::FastPaths::AssignTextQuickly(Engine& engine, std::string& s, size_t from) {
    // s[from..] is what AssignText would be given. Blanks beside an "=" are taken out of the whole text
    // there, the name may act, or the text may lack a name: those take the long way. Any other text becomes
    // the value unchanged, so the statement's own text is made the value where it stands.
    if (s.size() <= from || s.back() != ' ') return false;
    const std::string_view t(s.data() + from, s.size() - from - 1);
    const size_t p = t.find('=');
    if (p == std::string_view::npos) return false;
    for (size_t e = p; e != std::string_view::npos; e = t.find('=', e + 1)) {
        if ((e > 0 && t[e - 1] == ' ') || (e + 1 < t.size() && t[e + 1] == ' ')) return false;
    }
    const size_t q = t.find_first_not_of(' ');
    if (q >= p) return false;
    const std::string_view name = t.substr(q, p - q);
    if (AssignmentActs(name)) return false;

    if (!engine.m_Resetting) engine.m_Host.ProcessEvents();
    // The old value's storage comes back to the caller's line, ready for the next statement.
    engine.m_Vars.TakeText(name, s, from + p + 1, t.size() - p - 1);
    return true;
}

void Engine::KillVariables() {
    std::string textKey = "Style_TextColor", backKey = "Style_BackColor";
    int32_t textColour = KeptColour(Calc(textKey));
    int32_t backColour = KeptColour(Calc(backKey));
    m_Vars.Clear();
    m_Vars.Store("Style_TextColor", Value::Int32(textColour));
    m_Vars.Store("Style_BackColor", Value::Int32(backColour));
    for (const auto& p : kPredefined) m_Vars.Store(p.name, Value::Int16(p.value));
}

}  // namespace tarvik
