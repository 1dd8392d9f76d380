// A quest value: a number (with the kind that decides its text form), a text, or the empty value that a
// failed assignment leaves and that reads as 0.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "text/text.h"

namespace tarvik {

using text::NumKind;

struct Value {
    enum class Type : uint8_t { Empty, Number, Text };

    Type type = Type::Number;
    NumKind kind = NumKind::Int16;
    double num = 0;
    std::string str;

    static Value Number(double v, NumKind k = NumKind::Double) {
        Value r;
        r.type = Type::Number;
        r.kind = k;
        r.num = v;
        return r;
    }
    static Value Int16(int v) { return Number(v, NumKind::Int16); }
    static Value Int32(int32_t v) { return Number(v, NumKind::Int32); }
    static Value Text(std::string s) {
        Value r;
        r.type = Type::Text;
        r.str = std::move(s);
        return r;
    }
    static Value Empty() {
        Value r;
        r.type = Type::Empty;
        return r;
    }

    bool IsNumber() const { return type == Type::Number; }
    bool IsText() const { return type == Type::Text; }
    bool IsEmpty() const { return type == Type::Empty; }
    // The number 0 (an empty value counts as 0 wherever a value is read).
    bool IsZeroNumber() const { return (type == Type::Number && num == 0) || type == Type::Empty; }

    // The value as a number: a text must read as one (false otherwise); the empty value is 0.
    bool ToNumber(double& out) const {
        switch (type) {
            case Type::Number:
                out = num;
                return true;
            case Type::Empty:
                out = 0;
                return true;
            case Type::Text:
                break;
        }
        return text::IsNumeric(str, &out);
    }

    // The zero test the language applies to a value read back: the number 0, the empty value, or a text that
    // reads as the number 0 ("0", "0,0"). Any other text is not 0.
    bool ReadsAsZero() const {
        double d = 0;
        return IsZeroNumber() || (IsText() && text::IsNumeric(str, &d) && d == 0);
    }

    // The value rounded (halves to even) to a whole 32-bit number; false when it is no number or out of
    // range.
    bool ToWhole32(int32_t& out) const {
        double d = 0;
        if (!ToNumber(d)) return false;
        d = text::RoundHalfEven(d);
        if (!(d >= INT32_MIN && d <= INT32_MAX)) return false;
        out = static_cast<int32_t>(d);
        return true;
    }

    // The text form: numbers with the decimal comma, texts as they are, the empty value as "".
    std::string ToText() const {
        switch (type) {
            case Type::Number:
                return text::NumberText(num, kind);
            case Type::Text:
                return str;
            case Type::Empty:
                break;
        }
        return {};
    }
};

}  // namespace tarvik
