// Case folding, case-insensitive search and replacement, collation and blank trimming for code page 1251
// text.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "text/text.h"

namespace tarvik::text {
namespace {

struct CaseTables {
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    std::array<uint16_t, 256> collate{};
};

// Capital and small letters of code page 1251 besides A-Z and А-Я.
constexpr unsigned char kOtherPairs[][2] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

// Collation: letter case is ignored; everything that is not a letter or digit sorts first, by code; then the
// digits, then Latin a-z, then Cyrillic. The Cyrillic order is the Russian alphabet with Ё right after Е, and
// the letters of the other Slavic alphabets in 1251 placed after the Russian letter they are built on, as
// their own alphabets place them: ґ ѓ after г, ђ after д, є after ё, ѕ after з, і ї after и, ј after й, ќ
// after к, љ after л, њ after н, ћ after т, ў after у, џ after ч. Letters without a case pair (µ) count as
// signs.
constexpr unsigned char kCyrillicOrder[] = {
    0xE0, 0xE1, 0xE2, 0xE3, 0xB4, 0x83, 0xE4, 0x90, 0xE5, 0xB8, 0xBA, 0xE6, 0xE7, 0xBE, 0xE8, 0xB3,
    0xBF, 0xE9, 0xBC, 0xEA, 0x9D, 0xEB, 0x9A, 0xEC, 0xED, 0x9C, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0x9E,
    0xF3, 0xA2, 0xF4, 0xF5, 0xF6, 0xF7, 0x9F, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};
static_assert(sizeof(kCyrillicOrder) == 33 + 14);

constexpr CaseTables MakeTables() {
    CaseTables t;
    for (int c = 0; c < 256; ++c) {
        t.lower[c] = static_cast<unsigned char>(c);
        t.upper[c] = static_cast<unsigned char>(c);
    }
    auto pair = [&t](int up, int low) {
        t.lower[up] = static_cast<unsigned char>(low);
        t.upper[low] = static_cast<unsigned char>(up);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) pair(c, c + 32);
    for (const auto& p : kOtherPairs) pair(p[0], p[1]);

    // Signs keep their code (below 256); digits, Latin and Cyrillic letters follow in that order.
    for (int c = 0; c < 256; ++c) t.collate[c] = static_cast<uint16_t>(c);
    for (int c = '0'; c <= '9'; ++c) t.collate[c] = static_cast<uint16_t>(0x100 + (c - '0'));
    for (int c = 'a'; c <= 'z'; ++c) t.collate[c] = static_cast<uint16_t>(0x200 + (c - 'a'));
    uint16_t rank = 0x300;
    for (unsigned char c : kCyrillicOrder) t.collate[c] = rank++;
    for (int c = 0; c < 256; ++c) {
        if (t.lower[c] != c) t.collate[c] = t.collate[t.lower[c]];
    }
    return t;
}

constexpr CaseTables kTables = MakeTables();

inline unsigned char Low(char c) {
    return kTables.lower[static_cast<unsigned char>(c)];
}

// Whether `needle` (already folded to small letters) stands at p.
inline bool MatchesAt(const char* p, std::string_view folded) {
    for (size_t k = 0; k < folded.size(); ++k) {
        if (Low(p[k]) != static_cast<unsigned char>(folded[k])) return false;
    }
    return true;
}

bool IsBlankSeparator(char c) {
    return c == 0 || c == ' ' || (c >= 9 && c <= 13);
}

}  // namespace

char ToLowerChar(char c) {
    return static_cast<char>(Low(c));
}
char ToUpperChar(char c) {
    return static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]);
}

std::string ToLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = ToLowerChar(c);
    return r;
}

std::string ToUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = ToUpperChar(c);
    return r;
}

bool IsLetter(char c) {
    return ToLowerChar(c) != c || ToUpperChar(c) != c;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && Low(a[i]) != Low(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from) {
    if (from > hay.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    if (needle.size() > hay.size() - from) return std::string_view::npos;

    const char lo = ToLowerChar(needle[0]);
    const char up = ToUpperChar(lo);
    const char* const base = hay.data();
    const size_t last = hay.size() - needle.size();  // last possible start
    const std::string_view rest = needle.substr(1);
    char shortBuf[64];
    std::string large;
    std::string_view folded;
    if (rest.size() <= sizeof shortBuf) {
        for (size_t k = 0; k < rest.size(); ++k) shortBuf[k] = ToLowerChar(rest[k]);
        folded = std::string_view(shortBuf, rest.size());
    } else {
        large = ToLower(rest);
        folded = large;
    }

    // A statement-sized text is quicker to walk than to hand to memchr twice per candidate.
    if (last - from < 64) {
        for (size_t cand = from; cand <= last; ++cand) {
            const char c = base[cand];
            if ((c == lo || c == up) && MatchesAt(base + cand + 1, folded)) return cand;
        }
        return std::string_view::npos;
    }

    // The first character has at most two spellings; memchr finds the next candidate of each. The text is
    // searched in windows, and the second spelling only up to the next candidate of the first, so a call
    // never scans far past its match: the include and replace loops call this once per occurrence.
    constexpr size_t kWindow = 4096;
    auto next = [&](char c, size_t at, size_t end) -> size_t {
        if (at >= end) return end;
        const void* hit = std::memchr(base + at, c, end - at);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : end;
    };
    for (size_t at = from; at <= last;) {
        const size_t end = std::min(last + 1, at + kWindow);  // candidates in [at, end)
        size_t nextLo = next(lo, at, end);
        size_t nextUp = lo == up ? end : next(up, at, nextLo);
        for (;;) {
            const size_t cand = std::min(nextLo, nextUp);
            if (cand >= end) break;
            if (MatchesAt(base + cand + 1, folded)) return cand;
            if (cand == nextLo) nextLo = next(lo, cand + 1, end);
            nextUp = lo == up ? end : next(up, cand + 1, nextLo);
        }
        at = end;
    }
    return std::string_view::npos;
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
    return FindNoCase(hay, needle) != std::string_view::npos;
}

size_t CountNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return 0;
    size_t count = 0;
    for (size_t p = FindNoCase(hay, needle); p != std::string_view::npos;
         p = FindNoCase(hay, needle, p + needle.size())) {
        ++count;
    }
    return count;
}

void ReplaceAllNoCase(std::string& s, std::string_view what, std::string_view with) {
    if (what.empty()) return;
    size_t p = FindNoCase(s, what);
    if (p == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    size_t done = 0;
    while (p != std::string::npos) {
        out.append(s, done, p - done);
        out.append(with);
        done = p + what.size();
        p = FindNoCase(s, what, done);
    }
    out.append(s, done, std::string::npos);
    s = std::move(out);
}

void ReplaceRepeatedly(std::string& s, std::string_view what, std::string_view with) {
    if (what.empty()) return;
    if (ContainsNoCase(with, what)) {
        ReplaceAllNoCase(s, what, with);
        return;
    }
    size_t first = FindNoCase(s, what);
    if (first == std::string::npos) return;

    // Characters are moved one by one into `out`, which never holds an occurrence. When `out` comes to end
    // with `what`, that occurrence is the first one of the whole text (any earlier one would lie inside
    // `out`), so it is replaced there: `what` leaves `out` and `with` goes back to the input to be read
    // again, since it may form a new occurrence with what precedes or follows it. Pending input is a stack
    // (reversed).
    const std::string folded = ToLower(what);
    const size_t m = folded.size();
    std::string out(s, 0, first);
    std::string pending;
    size_t next = first;  // next unread character of s
    // A rewrite that grows without end, or cycles, cannot happen for the replacements the language uses, but
    // a quest may ask for one; it is cut off after a budget of work far beyond any real line.
    uint64_t budget = 64 * (static_cast<uint64_t>(s.size()) + with.size()) + (uint64_t{1} << 20);
    out.reserve(s.size());
    while (budget > 0) {
        char c;
        if (!pending.empty()) {
            c = pending.back();
            pending.pop_back();
        } else if (next < s.size()) {
            c = s[next++];
        } else {
            break;
        }
        --budget;
        out += c;
        if (out.size() >= m && MatchesAt(out.data() + out.size() - m, folded)) {
            out.resize(out.size() - m);
            pending.append(with.rbegin(), with.rend());
            budget -= std::min<uint64_t>(budget, m);
        }
    }
    out.append(pending.rbegin(), pending.rend());
    out.append(s, next, std::string::npos);
    s = std::move(out);
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ka = kTables.collate[static_cast<unsigned char>(a[i])];
        const int kb = kTables.collate[static_cast<unsigned char>(b[i])];
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

size_t NoCaseHash::operator()(std::string_view s) const noexcept {
    uint64_t h = 14695981039346656037ull;  // FNV-1a over the folded bytes
    for (char c : s) {
        h ^= Low(c);
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 32));
}

std::string_view TrimView(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    const size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string LTrim(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
    const size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

// As the proper case of the language's runtime: the character after a separator (or at the start) is made
// capital and all others small, so a word that begins with a sign ("hello) keeps its letters small.
std::string ProperCase(std::string_view s) {
    std::string r(s);
    bool wordStart = true;
    for (char& c : r) {
        if (IsBlankSeparator(c)) {
            wordStart = true;
        } else {
            c = wordStart ? ToUpperChar(c) : ToLowerChar(c);
            wordStart = false;
        }
    }
    return r;
}

}  // namespace tarvik::text
