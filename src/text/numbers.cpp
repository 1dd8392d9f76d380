// Reading and writing numbers the way the quest language does: decimal comma on output, "." or "," on input,
// hex with "&H". Digits come from std::to_chars / std::from_chars, so the host locale never enters.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "text/text.h"

namespace tarvik::text {
namespace {

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// Reads "&H" and up to `maxDigits` hex digits with an optional trailing "&" at s[i]. Returns false when there
// is no hex number there. Four digits or fewer are a 16-bit value; more, or the "&" that marks a long literal
// in the language's runtime, make it 32-bit.
bool ReadHex(std::string_view s, size_t& i, double& value, NumKind& kind) {
    if (i + 2 > s.size() || s[i] != '&' || (s[i + 1] != 'H' && s[i + 1] != 'h')) return false;
    size_t j = i + 2;
    uint32_t u = 0;
    int digits = 0;
    while (j < s.size() && IsHexDigit(s[j]) && digits < 8) {
        u = (u << 4) | static_cast<uint32_t>(HexValue(s[j]));
        ++digits;
        ++j;
    }
    if (digits == 0) return false;
    bool longMark = false;
    if (j < s.size() && s[j] == '&') {
        longMark = true;
        ++j;
    }
    if (digits <= 4 && !longMark) {
        value = static_cast<int16_t>(static_cast<uint16_t>(u));
        kind = NumKind::Int16;
    } else {
        value = static_cast<int32_t>(u);
        kind = NumKind::Int32;
    }
    i = j;
    return true;
}

// A decimal number at s[i]: sign, digits with at most one decimal point (either of `points`), optional
// exponent. On success `norm` holds it in the form std::from_chars reads and i is past it. A lone "e" with no
// digits after it is not part of the number.
bool ReadDecimal(std::string_view s, size_t& i, std::string& norm, bool commaIsPoint) {
    size_t j = i;
    norm.clear();
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
        if (s[j] == '-') norm += '-';
        ++j;
    }
    bool point = false;
    int digits = 0;
    while (j < s.size()) {
        const char c = s[j];
        if (IsDigit(c)) {
            norm += c;
            ++digits;
        } else if ((c == '.' || (commaIsPoint && c == ',')) && !point) {
            norm += '.';
            point = true;
        } else {
            break;
        }
        ++j;
    }
    if (digits == 0) return false;
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        size_t k = j + 1;
        std::string exp = "e";
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) exp += s[k++];
        const size_t expStart = k;
        while (k < s.size() && IsDigit(s[k])) exp += s[k++];
        if (k > expStart) {
            norm += exp;
            j = k;
        }
    }
    i = j;
    return true;
}

// Converts the normalized text; false only when its magnitude is beyond the double range (too small a value
// reads as 0).
bool ConvertDecimal(const std::string& norm, double& value) {
    const char* b = norm.data();
    const char* e = b + norm.size();
    auto [ptr, ec] = std::from_chars(b, e, value);
    if (ec == std::errc()) return ptr == e;
    if (ec != std::errc::result_out_of_range) return false;

    // Out of range: decide between overflow and underflow from the decimal magnitude.
    // mag: the count of whole digits, or minus the count of zeros right after the point.
    long long mag = 0;
    bool nonZero = false;
    size_t k = norm[0] == '-' ? 1 : 0;
    for (; k < norm.size() && norm[k] != '.' && norm[k] != 'e'; ++k) {
        if (nonZero || norm[k] != '0') {
            nonZero = true;
            ++mag;
        }
    }
    if (!nonZero && k < norm.size() && norm[k] == '.') {
        for (++k; k < norm.size() && norm[k] != 'e'; ++k) {
            if (norm[k] != '0') {
                nonZero = true;
                break;
            }
            --mag;
        }
    }
    long long exp = 0;
    const size_t ePos = norm.find('e');
    if (ePos != std::string::npos) {
        bool neg = norm[ePos + 1] == '-';
        for (size_t q = ePos + 1; q < norm.size(); ++q) {
            if (IsDigit(norm[q]) && exp < 1'000'000) exp = exp * 10 + (norm[q] - '0');
        }
        if (neg) exp = -exp;
    }
    if (nonZero && mag + exp > 0) return false;
    value = norm[0] == '-' ? -0.0 : 0.0;
    return true;
}

void SkipBlanks(std::string_view s, size_t& i) {
    while (i < s.size() && s[i] == ' ') ++i;
}

// Digits and decimal exponent of |v| rounded to `precision` significant digits: v = 0.d1d2d3... * 10^(exp+1).
void Digits(double v, int precision, std::string& digits, int& exp) {
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, precision - 1);
    std::string_view t(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = t.find('e');
    digits.clear();
    for (size_t k = 0; k < e; ++k) {
        if (IsDigit(t[k])) digits += t[k];
    }
    exp = 0;
    std::from_chars(t.data() + e + (t[e + 1] == '+' ? 2 : 1), t.data() + t.size(), exp);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

}  // namespace

bool IsNumeric(std::string_view s, double* value, NumKind* kind) {
    size_t i = 0;
    SkipBlanks(s, i);
    // Most texts tried are names: no number starts with anything but these.
    if (i == s.size()) return false;
    if (const char c = s[i]; !IsDigit(c) && c != '+' && c != '-' && c != '.' && c != ',' && c != '&')
        return false;
    // Plain whole numbers of up to 15 digits, the usual operands, are exact as doubles: no text to convert.
    {
        size_t j = i;
        uint64_t whole = 0;
        while (j < s.size() && j - i < 16 && s[j] >= '0' && s[j] <= '9') whole = whole * 10 + (s[j++] - '0');
        if (j > i && j - i <= 15) {
            size_t end = j;
            SkipBlanks(s, end);
            if (end == s.size()) {
                if (value) *value = static_cast<double>(whole);
                if (kind) *kind = NumKind::Double;
                return true;
            }
        }
    }
    double v = 0;
    NumKind k = NumKind::Double;
    if (!ReadHex(s, i, v, k)) {
        std::string norm;
        if (!ReadDecimal(s, i, norm, true) || !ConvertDecimal(norm, v)) return false;
        // An "e" left unread means an exponent without digits: not a number.
    }
    SkipBlanks(s, i);
    if (i != s.size()) return false;
    if (v == 0) v = 0;  // no negative zero
    if (value) *value = v;
    if (kind) *kind = k;
    return true;
}

std::string NumberText(double v, NumKind kind) {
    if (std::isnan(v)) return "-1,#IND";
    if (std::isinf(v)) return v < 0 ? "-1,#INF" : "1,#INF";
    if (v == 0) return "0";
    if ((kind == NumKind::Int16 || kind == NumKind::Int32) && std::fabs(v) < 9.0e15) {
        return std::to_string(static_cast<long long>(RoundHalfEven(v)));
    }
    const int precision = kind == NumKind::Single ? 7 : 15;
    std::string digits;
    int exp = 0;
    Digits(v, precision, digits, exp);

    std::string out;
    if (v < 0) out += '-';
    if (exp >= precision || exp < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += ',';
            out.append(digits, 1, std::string::npos);
        }
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
        out += e;
    } else if (exp >= 0) {
        const size_t whole = static_cast<size_t>(exp) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += ',';
            out.append(digits, whole, std::string::npos);
        }
    } else {
        out += "0,";
        out.append(static_cast<size_t>(-exp - 1), '0');
        out += digits;
    }
    return out;
}

// Overflowing numbers give 0 like texts without a number: the callers only ever want a usable value.
double LeadingNumber(std::string_view s) {
    size_t i = 0;
    SkipBlanks(s, i);
    double v = 0;
    NumKind k;
    if (ReadHex(s, i, v, k)) return v;
    std::string norm;
    if (!ReadDecimal(s, i, norm, false) || !ConvertDecimal(norm, v)) return 0;
    return v == 0 ? 0 : v;
}

double RoundHalfEven(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 4503599627370496.0) return v;  // 2^52: already whole
    const double f = std::floor(v);
    const double d = v - f;
    if (d > 0.5) return f + 1;
    if (d < 0.5) return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

double RoundDecimals(double v, int decimals) {
    if (!std::isfinite(v) || v == 0) return v;
    if (decimals < 0) decimals = 0;
    if (decimals > 400) return v;

    // The shortest decimal text that reads back as v is what the quest wrote or printed; round that text.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
    std::string_view t(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = t.find('e');
    std::string digits;
    for (size_t k = 0; k < e; ++k) {
        if (IsDigit(t[k])) digits += t[k];
    }
    int exp = 0;
    std::from_chars(t.data() + e + (t[e + 1] == '+' ? 2 : 1), t.data() + t.size(), exp);

    const long long keep = static_cast<long long>(exp) + 1 + decimals;  // digits that stay
    if (keep >= static_cast<long long>(digits.size())) return v;
    if (keep < 0) return 0;

    std::string kept = digits.substr(0, static_cast<size_t>(keep));
    const std::string_view dropped = std::string_view(digits).substr(static_cast<size_t>(keep));
    bool up;
    if (dropped[0] != '5') {
        up = dropped[0] > '5';
    } else if (dropped.find_first_not_of('0', 1) != std::string_view::npos) {
        up = true;
    } else {
        const int lastKept = kept.empty() ? 0 : kept.back() - '0';
        up = lastKept % 2 == 1;
    }
    if (up) {
        size_t k = kept.size();
        while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
        if (k == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[k - 1];
        }
    }
    if (kept.empty()) return 0;
    std::string text = (v < 0 ? "-" : "") + kept + "e" + std::to_string(-decimals);
    double r = 0;
    std::from_chars(text.data(), text.data() + text.size(), r);
    return r == 0 ? 0 : r;
}

}  // namespace tarvik::text
