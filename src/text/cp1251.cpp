// Code page conversions with tables of our own, so quests read the same whatever the host has installed.
#include <array>
#include <cstdint>

#include "text/text.h"

namespace tarvik::text {
namespace {

// Code points of the codes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F and below 0x80 is ASCII.
constexpr std::array<char16_t, 64> kHigh1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98: 0x98 is unassigned, kept as itself
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t CodePoint1251(unsigned char c) {
    if (c < 0x80) return c;
    if (c >= 0xC0) return 0x0410 + (c - 0xC0);
    return kHigh1251[c - 0x80];
}

// The code of a code point in 1251, or -1.
int From1251(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
    for (size_t i = 0; i < kHigh1251.size(); ++i) {
        if (kHigh1251[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Code page 866 codes 0xB0..0xFF in 1251. Box drawing becomes '+' for corners and crossings, '-' and '|' for
// plain lines; shades, blocks and signs 1251 lacks become '?'.
constexpr char kHigh866[81] =
    "???|++++++|+++++"  // B0: shades, vertical line, right tees and corners
    "++++-++++++++-++"  // C0: corners, tees, horizontal lines, crossings
    "+++++++++++?????"  // D0: tees, corners, crossings; blocks
    "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF"  // E0: р..я
    "\xA8\xB8\xAA\xBA\xAF\xBF\xA1\xA2\xB0\xB7\xB7?\xB9\xA4?\xA0";  // F0: Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ NBSP

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char ch : cp1251) AppendUtf8(out, CodePoint1251(static_cast<unsigned char>(ch)));
    return out;
}

namespace {

// Writes the converted text over `utf8` from `begin` on and returns its end: every character read gives one
// byte, so the writing never overtakes the reading.
size_t Utf8ToCp1251Over(std::string& utf8, size_t begin) {
    const size_t n = utf8.size();
    size_t i = begin, w = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            utf8[w++] = static_cast<char>(b);
            ++i;
            continue;
        }
        size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2, cp = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, cp = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, cp = b & 0x07, min = 0x10000;
        }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            const unsigned char c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed too.
        if (ok && (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) ok = false;
        if (!ok) {
            utf8[w++] = '?';
            ++i;
            continue;
        }
        const int code = From1251(cp);
        utf8[w++] = code < 0 ? '?' : static_cast<char>(code);
        i += len;
    }
    return w;
}

}  // namespace

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out(utf8);
    out.resize(Utf8ToCp1251Over(out, 0));
    return out;
}

bool LooksLikeUtf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return true;
    bool high = false;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        high = true;
        size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte, which rules out overlongs,
        if (b >= 0xC2 && b <= 0xDF) {        // surrogates and values past U+10FFFF
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + len > n) return false;
        const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < lo || second > hi) return false;
        for (size_t k = 2; k < len; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return high;
}

std::string QuestTextToCp1251(std::string bytes) {
    if (!LooksLikeUtf8(bytes)) return bytes;
    // Converted where it lies: a large quest is never held twice.
    bytes.resize(Utf8ToCp1251Over(bytes, std::string_view(bytes).starts_with("\xEF\xBB\xBF") ? 3 : 0));
    return bytes;
}

std::string Cp866ToCp1251(std::string_view cp866) {
    std::string out(cp866);
    Cp866ToCp1251InPlace(out);
    return out;
}

void Cp866ToCp1251InPlace(std::string& out) {
    for (char& ch : out) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) continue;
        if (c < 0xB0) {
            ch = static_cast<char>(c + 0x40);  // А..Я, а..п
        } else {
            ch = kHigh866[c - 0xB0];
        }
    }
}

}  // namespace tarvik::text
