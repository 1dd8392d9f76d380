// The "==" pattern match. The pattern is first turned into a list of single-character tests and stars. The
// stars cut it into segments of fixed length: the first must match at the text's start, the last at its end,
// and each one between at its leftmost place after the one before (taking the leftmost never loses a match,
// as the star after it can take whatever lies beyond). The segments are searched bit-parallel (shift-and), so
// a long text and a long pattern take text × pattern / 64 steps at most, not text × pattern.
#include <bitset>
#include <cstdint>
#include <vector>

#include "text/text.h"

namespace tarvik::text {
namespace {

struct Token {
    enum class Kind : unsigned char { Char, Any, Digit, Set, Star };
    Kind kind;
    unsigned char ch = 0;  // Char: the character folded to small letters
    int set = -1;          // Set: index into the set list
};

unsigned char Fold(char c) {
    return static_cast<unsigned char>(ToLowerChar(c));
}

// Parses the list between "[" and "]" (exclusive). Letters match in either case; a range "a-c" takes every
// character whose small form lies between the small forms of its ends. A "-" at either end of the list is
// itself; a leading "!" negates the list.
std::bitset<256> ParseSet(std::string_view list) {
    std::bitset<256> set;
    bool negate = false;
    if (!list.empty() && list[0] == '!') {
        negate = true;
        list.remove_prefix(1);
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (i + 2 < list.size() && list[i + 1] == '-') {
            const unsigned lo = Fold(list[i]);
            const unsigned hi = Fold(list[i + 2]);
            for (int c = 0; c < 256; ++c) {
                const unsigned f = Fold(static_cast<char>(c));
                if (f >= lo && f <= hi) set.set(static_cast<size_t>(c));
            }
            i += 2;
        } else {
            set.set(static_cast<unsigned char>(list[i]));
            set.set(static_cast<unsigned char>(ToUpperChar(list[i])));
            set.set(Fold(list[i]));
        }
    }
    if (negate) set.flip();
    return set;
}

}  // namespace

bool Like(std::string_view text, std::string_view pattern) {
    std::vector<Token> tokens;
    std::vector<std::bitset<256>> sets;
    tokens.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*') {
            if (tokens.empty() || tokens.back().kind != Token::Kind::Star)
                tokens.push_back({Token::Kind::Star});
        } else if (c == '?') {
            tokens.push_back({Token::Kind::Any});
        } else if (c == '#') {
            tokens.push_back({Token::Kind::Digit});
        } else if (c == '[' && pattern.find(']', i + 1) != std::string_view::npos) {
            const size_t close = pattern.find(']', i + 1);
            const std::string_view list = pattern.substr(i + 1, close - i - 1);
            i = close;
            if (list.empty()) continue;  // "[]" stands for no character at all
            sets.push_back(ParseSet(list));
            tokens.push_back({Token::Kind::Set, 0, static_cast<int>(sets.size() - 1)});
        } else {
            tokens.push_back({Token::Kind::Char, Fold(c)});
        }
    }

    auto matchesOne = [&](const Token& t, char c) -> bool {
        switch (t.kind) {
            case Token::Kind::Char:
                return Fold(c) == t.ch;
            case Token::Kind::Any:
                return true;
            case Token::Kind::Digit:
                return IsDigit(c);
            case Token::Kind::Set:
                return sets[static_cast<size_t>(t.set)].test(static_cast<unsigned char>(c));
            case Token::Kind::Star:
                break;
        }
        return false;
    };

    // Segments: [begin, end) ranges of tokens between stars.
    std::vector<std::pair<size_t, size_t>> segments;
    {
        size_t from = 0;
        for (size_t i = 0; i <= tokens.size(); ++i) {
            if (i == tokens.size() || tokens[i].kind == Token::Kind::Star) {
                segments.emplace_back(from, i);
                from = i + 1;
            }
        }
    }
    auto matchesAt = [&](std::pair<size_t, size_t> seg, size_t at) {
        for (size_t k = seg.first; k < seg.second; ++k)
            if (!matchesOne(tokens[k], text[at + k - seg.first])) return false;
        return true;
    };
    const size_t n = text.size();
    if (segments.size() == 1) return n == tokens.size() && matchesAt(segments[0], 0);

    const auto first = segments.front(), last = segments.back();
    const size_t headLength = first.second - first.first, tailLength = last.second - last.first;
    if (n < headLength + tailLength) return false;
    if (!matchesAt(first, 0) || !matchesAt(last, n - tailLength)) return false;

    // The leftmost place at or after `from` where `seg` matches wholly before `to`, or npos.
    static const std::vector<std::vector<unsigned char>> sameFold = [] {
        std::vector<std::vector<unsigned char>> groups(256);
        for (int c = 0; c < 256; ++c)
            groups[Fold(static_cast<char>(c))].push_back(static_cast<unsigned char>(c));
        return groups;
    }();
    std::vector<uint64_t> masks, state;
    auto find = [&](std::pair<size_t, size_t> seg, size_t from, size_t to) -> size_t {
        const size_t m = seg.second - seg.first;
        if (m == 0) return from;
        if (to - from < m) return std::string_view::npos;
        const size_t words = (m + 63) / 64;
        masks.assign(256 * words, 0);
        for (size_t k = 0; k < m; ++k) {
            const Token& t = tokens[seg.first + k];
            const uint64_t bit = uint64_t{1} << (k % 64);
            if (t.kind == Token::Kind::Char) {
                // Only the characters of the same small form: a long literal builds its masks quickly.
                for (unsigned char c : sameFold[t.ch]) masks[c * words + k / 64] |= bit;
                continue;
            }
            for (int c = 0; c < 256; ++c)
                if (matchesOne(t, static_cast<char>(c)))
                    masks[static_cast<size_t>(c) * words + k / 64] |= bit;
        }
        state.assign(words, 0);
        const uint64_t top = uint64_t{1} << ((m - 1) % 64);
        for (size_t i = from; i < to; ++i) {
            const uint64_t* mask = &masks[static_cast<unsigned char>(text[i]) * words];
            uint64_t carry = 1;
            for (size_t w = 0; w < words; ++w) {
                const uint64_t next = state[w] >> 63;
                state[w] = ((state[w] << 1) | carry) & mask[w];
                carry = next;
            }
            if (state[words - 1] & top) return i + 1 - m;
        }
        return std::string_view::npos;
    };

    size_t pos = headLength;
    const size_t end = n - tailLength;
    for (size_t k = 1; k + 1 < segments.size(); ++k) {
        const size_t at = find(segments[k], pos, end);
        if (at == std::string_view::npos) return false;
        pos = at + (segments[k].second - segments[k].first);
    }
    return true;
}

}  // namespace tarvik::text
