// The expression evaluator: Calc gives the value of an expression, Vern decides a condition, Skb resolves
// round brackets for both.
//
// The language has no tokenizer. Each routine looks for operator characters anywhere in the text (inside
// quoted texts too), splits at a chosen occurrence and evaluates the pieces recursively; the order of those
// searches is the grammar, and quests depend on its odd corners, so the steps below keep that order exactly.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "engine/engine.h"
#include "engine/fast_paths.h"

namespace tarvik {

namespace {

constexpr size_t npos = std::string::npos;

// Which of the characters the steps test for occur in a text; one scan answers every "contains" question.
enum CharBits : unsigned {
    kHasParen = 1u << 0,      // (
    kHasSemicolon = 1u << 1,  // ;
    kHasCompare = 1u << 2,    // = < >
    kHasPlusMinus = 1u << 3,  // + -
    kHasMulDiv = 1u << 4,     // * /
    kHasBlank = 1u << 5,
    kHasComma = 1u << 6,
    kHasMinus = 1u << 7,  // - (with kHasPlusMinus)
};

constexpr std::array<uint8_t, 256> MakeCharBits() {
    std::array<uint8_t, 256> t{};
    t['('] = kHasParen;
    t[';'] = kHasSemicolon;
    t['='] = t['<'] = t['>'] = kHasCompare;
    t['+'] = kHasPlusMinus;
    t['-'] = kHasPlusMinus | kHasMinus;
    t['*'] = t['/'] = kHasMulDiv;
    t[' '] = kHasBlank;
    t[','] = kHasComma;
    return t;
}
constexpr std::array<uint8_t, 256> kCharBits = MakeCharBits();

unsigned ScanChars(std::string_view s) {
    unsigned bits = 0;
    for (char c : s) bits |= kCharBits[static_cast<unsigned char>(c)];
    return bits;
}

void TrimInPlace(std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == npos) {
        s.clear();
        return;
    }
    s.erase(s.find_last_not_of(' ') + 1);
    s.erase(0, b);
}

void Pad(std::string& s) {
    s.insert(s.begin(), ' ');
    s.push_back(' ');
}

// " and ", " or ", " not " in any letter case.
bool HasWordOperator(std::string_view s) {
    return text::FindNoCase(s, " or ") != npos || text::FindNoCase(s, " and ") != npos ||
           text::FindNoCase(s, " not ") != npos;
}

// One left-to-right pass that does not rescan what it inserted, for the sign pairs.
void ReplacePair(std::string& s, char first, char second, std::string_view with) {
    size_t p = s.find(first);
    while (p != npos && p + 1 < s.size()) {
        if (s[p + 1] == second) {
            s.replace(p, 2, with);
            p = s.find(first, p + with.size());
        } else {
            p = s.find(first, p + 1);
        }
    }
}

// A number operand of arithmetic: texts must read as numbers; the empty value is 0.
double Operand(const Value& v) {
    double d = 0;
    if (!v.ToNumber(d)) throw QuestError("arithmetic on a text that is not a number");
    return d;
}

// Raised when one expression has taken more evaluator calls than any real quest needs. The grammar splits a
// text at one operator and evaluates both sides, and a condition inside an arithmetic expression is evaluated
// again on every split, so a line of a few dozen operators can otherwise take exponential time. It is not a
// QuestError, so no inner Calc reports it: the outermost call does, once.
struct EvalBudgetExceeded {};

// Counts one nested evaluator call; a text nested deeper than the limit is refused before it can exhaust the
// stack (the enclosing Calc reports it as an expression error).
class DepthGuard {
public:
    DepthGuard(int& depth, uint32_t& steps) : m_Depth(depth) {
        if (m_Depth == 0) steps = 0;
        if (m_Depth >= Limits::kMaxEvalDepth) throw QuestError("expression nested too deeply");
        if (++steps > Limits::kMaxEvalSteps) throw EvalBudgetExceeded{};
        ++m_Depth;
    }
    ~DepthGuard() { --m_Depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool outermost() const { return m_Depth == 1; }

private:
    int& m_Depth;
};

// Raised when the front, let in during a long evaluation, ended the game or the player: the statement is
// abandoned whole. It is no QuestError, so no assignment stores a value it was never given.
struct EvalAbandoned : std::runtime_error {
    EvalAbandoned() : std::runtime_error("expression abandoned") {}
};

const std::string& ExpressionErrorLine() {
    static const std::string line = text::Utf8ToCp1251("Ошибка выражения") + "\r\n";
    return line;
}

}  // namespace

// One expression over a long text (a sum of a million terms) can take a second, rescanning its text at every
// level of nesting: the front gets its turn after every so many characters the evaluator has gone through, as
// the run loop gives it between statements, so the window stays alive and a new game or closing the window
// ends the statement.
void Engine::CountEvalWork(size_t chars) {
    m_EvalWork += chars;
    if (m_EvalWork < kEvalWorkBetweenEvents) return;
    m_EvalWork = 0;
    LetFrontInDuringEval();
}

void Engine::LetFrontInDuringEval() {
    if (m_Resetting) return;
    const uint32_t game = m_Game;
    const int depth = m_EvalDepth;
    const uint32_t steps = m_EvalSteps;
    // What the front runs in the meantime is evaluated afresh, with a budget of its own.
    m_EvalDepth = 0;
    m_Host.ProcessEvents();
    m_EvalDepth = depth;
    m_EvalSteps = steps;
    if (m_Stopping || m_Game != game) throw EvalAbandoned();
}

Value Engine::Calc(std::string& e) {
    DepthGuard guard(m_EvalDepth, m_EvalSteps);
    if (!guard.outermost()) return CalcInner(e);
    try {
        return CalcInner(e);
    } catch (const EvalBudgetExceeded&) {
        ReportExpressionError("expression too complex");
        return Value::Int16(0);
    }
}

bool Engine::Vern(std::string& c) {
    DepthGuard guard(m_EvalDepth, m_EvalSteps);
    if (!guard.outermost()) return VernInner(c);
    try {
        return VernInner(c);
    } catch (const EvalBudgetExceeded&) {
        throw QuestError("condition too complex");
    }
}

// Printing reads Style_TextColor through Calc; it gets the whole evaluator budget, not what is left here.
void Engine::ReportExpressionError(const char* what) {
    Diagnose("Calc", what);
    const int depth = m_EvalDepth;
    const uint32_t steps = m_EvalSteps;
    m_EvalDepth = 0;
    try {
        PrintLine(ExpressionErrorLine());
    } catch (...) {
        m_EvalDepth = depth;
        m_EvalSteps = steps;
        throw;
    }
    m_EvalDepth = depth;
    m_EvalSteps = steps;
}

std::string Engine::Skb(std::string& s) {
    DepthGuard guard(m_EvalDepth, m_EvalSteps);
    TrimInPlace(s);
    // A text variable whose value brings its own brackets back would be resolved forever; such a text is
    // refused like an unmatched bracket.
    int groups = 0;
    for (size_t open = s.rfind('('); open != npos;) {
        const size_t close = s.find(')', open);
        if (close == npos) throw QuestError("'(' without ')'");
        if (++groups > Limits::kMaxSubstitutions || s.size() > Limits::kMaxLineLength)
            throw QuestError("brackets do not resolve");
        std::string inner(s, open + 1, close - open - 1);
        const std::string value = Calc(inner).ToText();
        s.replace(open, close - open + 1, value);
        // Nothing after the replaced group holds a "(": it was the rightmost one.
        open = s.rfind('(', open + value.size());
    }
    std::string padded;
    padded.reserve(s.size() + 2);
    padded += ' ';
    padded += s;
    padded += ' ';
    return padded;
}

Value Engine::CalcInner(std::string& e) {
    // Calc entered from inside the evaluator always gets a text of the evaluator's own, which may be
    // consumed; the outermost call leaves its caller's text as the steps rewrite it.
    const bool ownText = m_EvalDepth > 1;
    CountEvalWork(e.size());

    unsigned chars = ScanChars(e);
    if (chars & kHasSemicolon) {
        std::replace(e.begin(), e.end(), ';', '-');
        chars |= kHasPlusMinus | kHasMinus;
    }
    if (chars & kHasBlank) TrimInPlace(e);

    if (chars & kHasParen) {
        e = Skb(e);
        chars = ScanChars(e);
    }

    double number = 0;
    NumKind kind = NumKind::Double;
    // No number starts with anything but these (nor with a blank, which trimming took).
    const char lead = e.empty() ? 'x' : e[0];
    const bool mayBeNumber = (lead >= '0' && lead <= '9') || lead == '+' || lead == '-' || lead == '.' ||
                             lead == ',' || lead == '&' || lead == ' ';
    if (mayBeNumber && text::IsNumeric(e, &number, &kind)) {
        if (chars & kHasComma) std::replace(e.begin(), e.end(), ',', '.');
        return Value::Number(number, kind);
    }

    // A condition gives a provisional 1 or 0 that any later step producing a value replaces.
    int provisional = 0;
    if ((chars & kHasCompare) || ((chars & kHasBlank) && HasWordOperator(e))) {
        provisional = Vern(e) ? 1 : 0;
        chars = ScanChars(e);
    }

    // Both sides of the operator at p are evaluated; the left one in place when the text is ours to consume.
    auto splitAt = [&](size_t p) {
        const char op = e[p];
        std::string right(e, p + 1);
        Value left;
        if (ownText) {
            e.resize(p);
            left = Calc(e);
        } else {
            std::string copy(e, 0, p);
            left = Calc(copy);
        }
        return Arithmetic(op, left, Calc(right));
    };

    try {
        if (!e.empty() && e.front() == '"' && e.back() == '"') {
            if (e.size() < 2) throw QuestError("a lone double quote");
            return Value::Text(e.substr(1, e.size() - 2));
        }

        if (chars & kHasPlusMinus) {
            // The sign pairs all end in "-": with no "-" after a sign, there are none (nor do the
            // replacements make one).
            bool pairs = false;
            for (size_t m = (chars & kHasMinus) ? text::FindChar(e, '-', 1) : npos; m != npos && !pairs;
                 m = text::FindChar(e, '-', m + 1)) {
                const char before = e[m - 1];
                pairs = before == '-' || before == '+' || before == '*' || before == '/';
            }
            if (pairs) {
                ReplacePair(e, '-', '-', "+");
                ReplacePair(e, '+', '-', "-");
                ReplacePair(e, '*', '-', "*;");
                ReplacePair(e, '/', '-', "/;");
            }
            if (const size_t p = text::FindLastOfTwo(e, '+', '-'); p != npos) return splitAt(p);
        }
        if (chars & kHasMulDiv) {
            if (const size_t p = text::FindLastOfTwo(e, '*', '/'); p != npos) return splitAt(p);
        }

        // The first letter turns away nearly every name (a Latin letter's two cases differ in one bit).
        const char first = e.empty() ? '\0' : static_cast<char>(e[0] | 0x20);
        const bool inventory = first == 'i' && text::StartsWithNoCase(e, "inv_");
        const bool time = first == 't' && text::EqualsNoCase(e, "TIME");
        const bool rnd = first == 'r' && text::StartsWithNoCase(e, "RND");
        if (!inventory && !time && !(rnd && e.size() == 3) && !e.empty()) {
            if (const Value* v = FindVariable(e); v && !v->ReadsAsZero()) return *v;
        }

        Value result = Value::Int16(provisional);
        if (rnd) {
            const std::string_view rest = std::string_view(e).substr(3);
            const double n = rest.empty() ? 0 : text::LeadingNumber(rest);
            if (n == 0) {
                // A fraction so small that it would print in exponent form is drawn again.
                float f;
                do {
                    f = NextRandom();
                } while (text::NumberText(f, NumKind::Single)[0] != '0');
                result = Value::Number(f, NumKind::Single);
            } else {
                result =
                    Value::Number(std::floor(n * static_cast<double>(NextRandom())) + 1, NumKind::Double);
            }
        } else if (time) {
            result = Value::Number(static_cast<float>(m_Host.SecondsSinceMidnight()), NumKind::Single);
        } else if (inventory) {
            const int i = m_Items.Find(std::string_view(e).substr(4));
            if (i >= 0) result = Value::Int32(m_Items[i].count);
        }

        if (result.IsZeroNumber()) return Value::Int16(0);
        return result;
    } catch (const QuestError& error) {
        ReportExpressionError(error.what());
        return Value::Int16(0);
    }
}

bool Engine::FastPaths::AppendTextQuickly(Engine& engine, std::string_view name, std::string_view expr) {
    // The steps of Calc on name+"text", as the outermost evaluation: no bracket, ";", comparison, word
    // operator or "-" anywhere, the last "+" just after the name (blanks aside), the quoted text after it.
    // The name is a variable holding a text that is not 0, so Calc would give that text with the quoted one
    // after it; the sum within every limit, and short of letting the front in.
    const size_t last = expr.find_last_not_of(' ');
    if (last == npos || expr[last] != '"') return false;
    if (engine.m_EvalDepth != 0 || !IsPlainVariableName(name) || AssignmentActs(name)) return false;
    const unsigned chars = ScanChars(expr);
    if (chars & (kHasParen | kHasSemicolon | kHasCompare)) return false;
    const std::string_view e = text::TrimView(expr);
    if ((chars & kHasBlank) && HasWordOperator(e)) return false;
    const size_t plus = text::FindLastOfTwo(e, '+', '-');
    if (plus == npos || e[plus] != '+' || (chars & kHasMinus)) return false;
    if (!text::EqualsNoCase(text::TrimView(e.substr(0, plus)), name)) return false;
    const std::string_view quoted = text::TrimView(e.substr(plus + 1));
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
    const std::string_view tail = quoted.substr(1, quoted.size() - 2);

    const uint64_t work = expr.size() + e.size() - 1;  // the whole text, then both sides of the "+"
    if (engine.m_EvalWork + work >= Engine::kEvalWorkBetweenEvents || !engine.m_Vars.AppendText(name, tail))
        return false;
    engine.m_EvalWork += work;
    return true;
}

bool Engine::VernInner(std::string& c) {
    CountEvalWork(c.size());
    TrimInPlace(c);
    Pad(c);
    if (text::FindChar(c, '(') != npos) c = Skb(c);

    // OR, AND and NOT. Splitting at the first " OR " and evaluating the right side as a condition of its own
    // finds the following " OR " of the same text, so a chain is walked here piece by piece instead of
    // recursing once per operator. Every piece is evaluated.
    // The words need a blank inside the padded text, or a text that is nothing but the word.
    const bool words = text::FindChar(c, ' ', 1) < c.size() - 1 || text::EqualsNoCase(c, " OR ") ||
                       text::EqualsNoCase(c, " AND ") || text::EqualsNoCase(c, " NOT ");
    for (std::string_view word : {std::string_view(" OR "), std::string_view(" AND ")}) {
        if (!words) break;
        size_t p = text::FindNoCase(c, word);
        if (p == npos) continue;
        const bool isOr = word.size() == 4;
        bool result = !isOr;
        size_t start = 0;
        for (;;) {
            std::string piece = p == npos ? c.substr(start) : c.substr(start, p + 1 - start);
            const bool value = Vern(piece);
            result = isOr ? (result || value) : (result && value);
            if (p == npos) return result;
            start = p + word.size() - 1;  // the blank after the word opens the next piece
            p = text::FindNoCase(c, word, start);
        }
    }
    if (size_t p = words ? text::FindNoCase(c, " NOT ") : npos; p != npos) {
        // Whatever stands before NOT is ignored; each further NOT negates again.
        bool negate = false;
        size_t start = 0;
        while (p != npos) {
            negate = !negate;
            start = p + 4;
            p = text::FindNoCase(c, " NOT ", start);
        }
        std::string rest = c.substr(start);
        return Vern(rest) != negate;
    }

    double number = 0;
    if (text::IsNumeric(c, &number)) {
        std::replace(c.begin(), c.end(), ',', '.');
        return number != 0;
    }

    bool eq = false, lt = false, gt = false;
    for (char ch : c) {
        eq = eq || ch == '=';
        lt = lt || ch == '<';
        gt = gt || ch == '>';
    }
    if (!eq && !lt && !gt) {
        // A bare name asks for an inventory item, optionally preceded by the count needed.
        const size_t wordEnd = c.find(' ', 1);  // the text is padded, so there is always a blank at the end
        const std::string_view word = std::string_view(c).substr(1, wordEnd - 1);
        int required = 1;
        if (double n = 0; text::IsNumeric(word, &n)) {
            n = text::RoundHalfEven(n);
            if (!(n >= INT16_MIN && n <= INT16_MAX)) throw QuestError("item count out of range");
            required = static_cast<int>(n);
            c.erase(0, wordEnd);
        }
        const int i = m_Items.Find(text::TrimView(c));
        return i >= 0 && m_Items[i].count >= required;
    }

    TrimInPlace(c);
    static constexpr std::string_view kOperators[] = {"==", ">=", "=>", "<=", "=<", "<>", "=", ">", "<"};
    // Only operators whose characters all occur can be found (trimming took blanks only).
    // The characters each operator needs: 1 "=", 2 "<", 4 ">".
    static constexpr unsigned kNeeds[] = {1, 5, 5, 3, 3, 6, 1, 4, 2};
    static_assert(std::size(kNeeds) == std::size(kOperators));
    const unsigned have = (eq ? 1u : 0u) | (lt ? 2u : 0u) | (gt ? 4u : 0u);
    for (size_t k = 0; k < std::size(kOperators); ++k) {
        if ((kNeeds[k] & have) != kNeeds[k]) continue;
        // The dialect writes "<>" as "!=", tried where it cannot take a "<>" or a "=" of the language.
        if (k == 6 && m_Dialect) {
            if (const size_t p = c.find("!="); p != npos) {
                std::string leftText(c, 0, p);
                std::string rightText(c, p + 2);
                const Value left = Calc(leftText);
                return CompareValues(left, Calc(rightText)) != 0;
            }
        }
        const std::string_view op = kOperators[k];
        const size_t p = op.size() == 1 ? text::FindChar(c, op[0]) : c.find(op);
        if (p == npos) continue;
        std::string leftText(c, 0, p);
        std::string rightText(c, p + op.size());
        const Value left = Calc(leftText);
        const Value right = Calc(rightText);
        if (k == 0) return text::Like(left.ToText(), right.ToText());
        const int cmp = CompareValues(left, right);
        switch (k) {
            case 1:  // >=
            case 2:  // =>
                return cmp >= 0;
            case 3:  // <=
            case 4:  // =<
                return cmp <= 0;
            case 5:  // <>
                return cmp != 0;
            case 6:  // =
                return cmp == 0;
            case 7:  // >
                return cmp > 0;
            default:  // <
                return cmp < 0;
        }
    }
    return false;  // not reached: the text holds one of "=", "<", ">"
}

Value Engine::Arithmetic(char op, const Value& a, const Value& b) {
    if (op == '+' && a.IsText() && b.IsText()) {
        if (a.str.size() + b.str.size() > Limits::kMaxTextValue) throw QuestError("text value too long");
        return Value::Text(a.str + b.str);
    }
    const double x = Operand(a);
    const double y = Operand(b);
    double r = 0;
    switch (op) {
        case '+':
            r = x + y;
            break;
        case '-':
            r = x - y;
            break;
        case '*':
            r = x * y;
            break;
        case '/':
            if (y == 0) throw QuestError("division by zero");
            r = x / y;
            break;
        default:
            throw QuestError("unknown operator");
    }
    if (!std::isfinite(r)) throw QuestError("overflow");
    return Value::Number(r == 0 ? 0 : r, NumKind::Double);
}

int Engine::CompareValues(const Value& a, const Value& b) {
    if (!a.IsText() && !b.IsText()) {
        const double x = a.IsEmpty() ? 0 : a.num;
        const double y = b.IsEmpty() ? 0 : b.num;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (!a.IsText()) return -1;  // a number is less than any text
    if (!b.IsText()) return 1;
    const int cmp = text::CompareText(a.str, b.str);
    return cmp < 0 ? -1 : (cmp > 0 ? 1 : 0);
}

float EngineState::NextRandom() {
    // 24 random bits fill a float's mantissa exactly, so the result is uniform and never reaches 1.
    ++m_RandomDraws;
    return static_cast<float>(m_Random() >> 8) / 16777216.0f;
}

}  // namespace tarvik
