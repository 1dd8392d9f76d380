// Substitution of #expression$ and ##code$ forms into a statement line, and the built-in functions written
// with square brackets (abs[...], Round[...], ...).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "engine/fast_paths.h"

namespace tarvik {

namespace {

constexpr size_t npos = std::string::npos;

// A number argument: texts must read as numbers.
double NumberOf(const Value& v) {
    double d = 0;
    if (!v.ToNumber(d)) throw QuestError("a text that is not a number");
    return d;
}

// A value made a 16-bit whole number, halves to even.
int WholeInt16(const Value& v) {
    const double d = text::RoundHalfEven(NumberOf(v));
    if (!(d >= INT16_MIN && d <= INT16_MAX)) throw QuestError("number out of 16-bit range");
    return static_cast<int>(d);
}

// Replaces the forms opened by `marker` and closed by the first "$" after it, the rightmost marker first, so
// forms nest (#item#i$$). Markers are found as quests have always had them found: the first one, then each
// next one searched from two characters after the previous. A marker without a "$" after it is set aside with
// all that follows it: it stays in the line as it is. `replace` gets the text between marker and "$" and
// gives the replacement (in `scratch`, or a view of a text that outlives the call), which is scanned again
// with the rest of the line. Returns false when a guard stopped it.
template <class Replace>
bool ReplaceForms(std::string& s, std::string_view marker, int& budget, Replace&& replace) {
    std::vector<size_t> marks;  // markers found so far, left to right
    size_t end = s.size();      // the text from here on is set aside
    size_t from = 0;            // where the search for the next marker goes on
    for (;;) {
        for (size_t x = s.find(marker, from); x != npos && x + marker.size() <= end;
             x = s.find(marker, from)) {
            marks.push_back(x);
            from = x + 2;
        }
        if (marks.empty()) return true;
        const size_t p = marks.back();
        marks.pop_back();
        const size_t q = s.find('$', p);
        if (q == npos || q >= end) {
            end = p;
            from = end;
            continue;
        }
        // A value that brings its own form back would be substituted forever.
        if (budget <= 0 || s.size() > Limits::kMaxLineLength) return false;
        --budget;
        std::string expr(s, p + marker.size(), q - p - marker.size());
        std::string scratch;
        const std::string_view value = replace(expr, scratch);
        // erase + insert rather than replace: GCC 12 warns falsely (-Wrestrict) on the inlined replace.
        s.erase(p, q - p + 1);
        s.insert(p, value);
        end = end - (q - p + 1) + value.size();
        // Markers left of p are unchanged, and none stood between the previous one and p: the search goes on
        // from the previous marker, through the inserted value.
        from = marks.empty() ? 0 : marks.back() + 2;
    }
}

struct Function {
    std::string_view call;  // the name with its "["
    enum Kind { Abs, Len, Int, Sqr, Atn, Cos, Sin, Tan, Round } kind;
};

// The order in which the kinds are handled decides which nestings work (sqr[int[x]] does, int[sqr[x]] not).
constexpr Function kFunctions[] = {
    {"abs[", Function::Abs}, {"len[", Function::Len}, {"int[", Function::Int},
    {"sqr[", Function::Sqr}, {"Atn[", Function::Atn}, {"Cos[", Function::Cos},
    {"Sin[", Function::Sin}, {"Tan[", Function::Tan}, {"Round[", Function::Round},
};

bool HasFunctionCall(std::string_view s) {
    for (const Function& f : kFunctions) {
        if (text::FindNoCase(s, f.call) != npos) return true;
    }
    return false;
}

// The number kind a result keeps: abs, int and Round keep their argument's; a text argument reads as a
// double.
NumKind KindOf(const Value& v) {
    return v.IsNumber() ? v.kind : NumKind::Double;
}

}  // namespace

// A text variable named alone, as #name$ mostly is, whose value Calc would give unchanged: its text is put
// into the line straight from the store instead of through two copies. Anything else is left to Calc.
bool Engine::FastPaths::IsPlainVariableName(std::string_view name) {
    if (name.empty() || !(text::IsLetter(name[0]) || name[0] == '_')) return false;
    for (char c : name) {
        if (!text::IsLetter(c) && !text::IsDigit(c) && c != '_') return false;
    }
    return !text::StartsWithNoCase(name, "inv_") && !text::StartsWithNoCase(name, "RND") &&
           !text::EqualsNoCase(name, "TIME");
}

const Value* Engine::FastPaths::PlainTextVariable(const Engine& engine, std::string_view expr) {
    if (!IsPlainVariableName(expr)) return nullptr;
    const Value* v = engine.FindVariable(expr);
    return v && v->IsText() && !v->ReadsAsZero() ? v : nullptr;
}

std::string& Engine::Subst(std::string& s) {
    if (text::FindChar(s, '#') != npos) {
        int budget = Limits::kMaxSubstitutions;
        bool go = true;
        if (s.find("##") != npos) {
            go = ReplaceForms(s, "##", budget, [this](std::string& expr, std::string& scratch) {
                int code = WholeInt16(Calc(expr));
                while (code > 255) code -= 255;
                if (code < 0) throw QuestError("negative character code");
                scratch.assign(1, static_cast<char>(static_cast<unsigned char>(code)));
                return std::string_view(scratch);
            });
        }
        if (go && s.find('#') != npos) {
            ReplaceForms(s, "#", budget, [this](std::string& expr, std::string& scratch) {
                if (const Value* v = FastPaths::PlainTextVariable(*this, expr))
                    return std::string_view(v->str);
                scratch = Calc(expr).ToText();
                return std::string_view(scratch);
            });
        }
    }
    if (text::FindChar(s, '[') != npos && HasFunctionCall(s)) CalcFunctions(s);
    return s;
}

std::string Engine::CalcFunctions(std::string& s) {
    // Calls are replaced left to right, each at the first call left in the line. The line is rebuilt in one
    // pass per function rather than edited in place: a line of many thousand calls would otherwise take
    // quadratic time. `done` holds the rebuilt part, s[from..] the rest; after the first call no "]" is left
    // in `done`, so the first "]" of the whole line is the first one in the rest.
    for (const Function& f : kFunctions) {
        size_t p = text::FindNoCase(s, f.call);
        if (p == npos) continue;
        std::string done;
        size_t from = 0;
        auto whole = [&] {
            done.append(s, from, npos);
            s.swap(done);
        };
        try {
            for (; p != npos;) {
                // The call ends at the first "]" of the whole line, wherever the call stands.
                const size_t q = s.find(']', from);
                if (q == npos || q < p) throw QuestError("function call without its ']'");
                const size_t argStart = p + f.call.size();
                std::string argText(s, argStart, q - argStart);
                const Value arg = Calc(argText);

                Value result;
                if (f.kind == Function::Len) {
                    result = Value::Int32(static_cast<int32_t>(arg.ToText().size()));
                } else {
                    const double x = NumberOf(arg);
                    switch (f.kind) {
                        case Function::Abs:
                            result = Value::Number(std::fabs(x), KindOf(arg));
                            break;
                        case Function::Int:
                            result = Value::Number(std::floor(x), KindOf(arg));
                            break;
                        case Function::Sqr:
                            if (x < 0) throw QuestError("sqr of a negative number");
                            result = Value::Number(std::sqrt(x));
                            break;
                        case Function::Atn:
                            result = Value::Number(std::atan(x));
                            break;
                        case Function::Cos:
                            result = Value::Number(std::cos(x));
                            break;
                        case Function::Sin:
                            result = Value::Number(std::sin(x));
                            break;
                        case Function::Tan:
                            result = Value::Number(std::tan(x));
                            break;
                        case Function::Round: {
                            std::string precisionName = "fp_prec";
                            const int decimals = WholeInt16(Calc(precisionName));
                            if (decimals < 0) throw QuestError("negative fp_prec");
                            result = Value::Number(text::RoundDecimals(x, decimals), KindOf(arg));
                            break;
                        }
                        case Function::Len:
                            break;
                    }
                }
                done.append(s, from, p - from);
                done += result.ToText();
                from = q + 1;
                // A call that a result completes with the text before it would start within the last few
                // characters of `done`: that rare line is joined and searched from the start again.
                const size_t back = std::min(done.size(), f.call.size() - 1);
                const std::string seam = done.substr(done.size() - back) + s.substr(from, f.call.size() - 1);
                const size_t straddle = text::FindNoCase(seam, f.call);
                if (straddle != npos && straddle < back) {
                    whole();
                    done.clear();
                    from = 0;
                    p = text::FindNoCase(s, f.call);
                    continue;
                }
                p = text::FindNoCase(s, f.call, from);
            }
        } catch (...) {
            whole();
            throw;
        }
        whole();
    }
    return s;
}

}  // namespace tarvik
