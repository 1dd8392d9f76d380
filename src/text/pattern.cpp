// The "==" pattern match. The pattern is first turned into a list of single-character tests and stars;
// matching then walks text and pattern together and, on a mismatch, goes back only to the last star, which is
// enough because every test other than a star takes exactly one character. Time is at most text × pattern.
#include <bitset>
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

    auto matchesOne = [&](const Token& t, char c) {
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

    size_t ti = 0, pi = 0;
    size_t starPi = std::string_view::npos, starTi = 0;
    while (ti < text.size()) {
        if (pi < tokens.size() && tokens[pi].kind == Token::Kind::Star) {
            starPi = pi++;
            starTi = ti;
        } else if (pi < tokens.size() && matchesOne(tokens[pi], text[ti])) {
            ++pi;
            ++ti;
        } else if (starPi != std::string_view::npos) {
            // Let the last star take one more character and try the rest of the pattern again from there.
            pi = starPi + 1;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < tokens.size() && tokens[pi].kind == Token::Kind::Star) ++pi;
    return pi == tokens.size();
}

}  // namespace tarvik::text
