// The text layer: code pages, case-insensitive text operations and the number and string routines the quest
// language is built on. Every routine works on std::string holding code page 1251 bytes, one character per
// byte, unless its name says otherwise. No locale of the host system is consulted: quests behave the same
// everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik::text {

// ---- Code pages -------------------------------------------------------------------------------------------

// All 256 codes map to distinct code points and back; 0x98, unassigned in code page 1251, maps to U+0098.
std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters that code page 1251 lacks become '?'. Malformed UTF-8 bytes become '?' one byte at a time.
std::string Utf8ToCp1251(std::string_view utf8);
// A quest file is taken for UTF-8 when it begins with the byte order mark, or when it holds bytes of 128 and
// above and all of them form well-formed UTF-8 sequences: Russian text in 1251 practically never does
// (a capital letter is never followed by the 0x80..0xBF continuation bytes that UTF-8 needs).
bool LooksLikeUtf8(std::string_view bytes);
// The text of a quest file as code page 1251: UTF-8 (see LooksLikeUtf8) converted with its mark dropped and
// missing characters as '?'; any other bytes returned unchanged.
std::string QuestTextToCp1251(std::string bytes);
// DOS code page 866 to 1251 (what Windows' OemToChar does for Russian text); box-drawing characters that 1251
// lacks become the nearest plain sign ('+', '-', '|') and other missing ones '?'.
std::string Cp866ToCp1251(std::string_view cp866);
void Cp866ToCp1251InPlace(std::string& text);

// ---- Case
// ----------------------------------------------------------------------------------------------------

// Folding covers Latin A-Z, Cyrillic А-Я, Ё and every other letter pair of code page 1251
// (Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Є Ї І Ѕ).
char ToLowerChar(char c);
char ToUpperChar(char c);
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
bool IsLetter(char c);
bool IsDigit(char c);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// Position of the first occurrence at or after `from`, or npos. An empty needle is found at `from`
// (when from <= size).
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0);
bool ContainsNoCase(std::string_view hay, std::string_view needle);
// Number of non-overlapping occurrences, scanning left to right.
size_t CountNoCase(std::string_view hay, std::string_view needle);
// Replaces every non-overlapping occurrence, left to right, in one pass (replacements are not rescanned).
void ReplaceAllNoCase(std::string& s, std::string_view what, std::string_view with);
// While `what` occurs, replaces its first occurrence; so replacing " &" by "&" removes every run of blanks
// before an "&". Linear in the text length for the shrinking replacements the language uses. When `with`
// contains `what` (which would never finish) it falls back to one pass of ReplaceAllNoCase.
void ReplaceRepeatedly(std::string& s, std::string_view what, std::string_view with);

// Text ordering that ignores letter case, in alphabet order: Latin, then Cyrillic with Ё after Е.
// Returns <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);

// Hash and equality for case-insensitive keyed tables.
struct NoCaseHash {
    using is_transparent = void;  // lets keyed tables be searched with a string_view, without a copy
    size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualsNoCase(a, b); }
};

// ---- Character searches for statement-sized texts
// Each gives what std::string_view's own search gives. A short text is walked here; a long one is handed to
// the library, which is quicker there and slower than the walk for the few characters of a statement.

inline size_t FindChar(std::string_view s, char c, size_t from = 0) {
    if (from >= s.size()) return std::string_view::npos;
    if (s.size() - from > 48) return s.find(c, from);
    for (size_t i = from; i < s.size(); ++i) {
        if (s[i] == c) return i;
    }
    return std::string_view::npos;
}

// The last position holding a or b (find_last_of with a set of two), or npos.
inline size_t FindLastOfTwo(std::string_view s, char a, char b) {
    for (size_t i = s.size(); i-- > 0;) {
        if (s[i] == a || s[i] == b) return i;
    }
    return std::string_view::npos;
}

// ---- Blanks and words
// ---------------------------------------------------------------------------------------

// Only the blank (code 32) is trimmed; tabs and line breaks stay, as in the quest language.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// First letter of every word capital, the others small. Words are separated by code 0, tab, LF, VT, FF, CR
// and the blank.
std::string ProperCase(std::string_view s);

// ---- Numbers
// --------------------------------------------------------------------------------------------------

// How a number was made decides how it is written (significant digits) and nothing else.
enum class NumKind : uint8_t { Double, Single, Int16, Int32 };

// The numeric test of the language: optional blanks, optional sign, digits with at most one decimal point
// written
// "." or ",", optional exponent (E or e, optional sign, digits), optional blanks; at least one digit in the
// mantissa. Or "&H" followed by 1 to 8 hexadecimal digits (any case, optionally one trailing "&"): up to four
// digits read as a 16-bit signed value, five to eight, or any count with the trailing "&" (the long-literal
// mark), as a 32-bit signed value (&HFFFF is -1, &HFFFF& is 65535, &H80000008 is -2147483640). Values beyond
// the double range are not numbers. On success stores the value in *value and, when kind is given,
// Int16/Int32 for hex and Double otherwise.
bool IsNumeric(std::string_view s, double* value = nullptr, NumKind* kind = nullptr);

// The text form of a number: decimal comma, no grouping, no trailing fraction zeros, whole numbers without a
// fraction, at most 15 significant digits (Double) or 7 (Single; Int16/Int32 print whole). Exponent form
// ("1E+15", "1,5E-07": mantissa as above, "E", sign, at least two digits) when the decimal exponent of the
// value rounded to those digits is at least the digit count, or below -5 (so 0,00001 is plain and 0,000001 is
// 1E-06). Negative zero prints as 0.
std::string NumberText(double v, NumKind kind = NumKind::Double);

// The leading number of a text: blanks skipped, optional sign, digits, "." as the decimal point, optional
// exponent; "&H" hex as in IsNumeric. 0 when there is none. "12abc" gives 12, " -3.5x" gives -3.5, "x" gives
// 0.
double LeadingNumber(std::string_view s);

// Round half to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double RoundHalfEven(double v);
// Round to `decimals` places (0 or more), halves to even, as exactly as the decimal text of v allows:
// RoundDecimals(2.675, 2) is 2.68 because 2.675 is written that way, not 2.67 from its binary value.
double RoundDecimals(double v, int decimals);

// ---- Pattern
// ---------------------------------------------------------------------------------------------------

// The "==" pattern match, case-insensitive, against the whole text: "?" any one character, "*" any run
// (also empty), "#" one digit, "[abc]" / "[a-z]" one character of the list or range, "[!abc]" one character
// not in it; any other character matches itself. A "[" without its "]" matches itself literally. Linear-space
// and free of exponential backtracking.
bool Like(std::string_view text, std::string_view pattern);

}  // namespace tarvik::text
