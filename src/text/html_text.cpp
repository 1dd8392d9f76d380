#include "text/html_text.h"

#include <algorithm>
#include <cstdint>

namespace tarvik::text {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

void AppendUtf8(std::string& out, uint32_t cp) {
    // Controls, surrogates and what lies beyond Unicode would be unsafe or invalid on a terminal.
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct Entity {
    const char* name;
    uint32_t cp;
};

// The entities pages written by hand actually use.
constexpr Entity kEntities[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", 0xA0},     {"mdash", 0x2014},  {"ndash", 0x2013}, {"laquo", 0xAB},   {"raquo", 0xBB},
    {"hellip", 0x2026}, {"copy", 0xA9},     {"reg", 0xAE},     {"trade", 0x2122}, {"bull", 0x2022},
    {"middot", 0xB7},   {"deg", 0xB0},      {"plusmn", 0xB1},  {"times", 0xD7},   {"divide", 0xF7},
    {"euro", 0x20AC},   {"sect", 0xA7},     {"para", 0xB6},    {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E}, {"larr", 0x2190},  {"rarr", 0x2192},
    {"uarr", 0x2191},   {"darr", 0x2193},   {"shy", 0xAD},     {"iexcl", 0xA1},   {"iquest", 0xBF},
    {"frac12", 0xBD},   {"frac14", 0xBC},   {"frac34", 0xBE},  {"sup2", 0xB2},    {"sup3", 0xB3},
    {"hearts", 0x2665}, {"numero", 0x2116},
};

// Decodes the entity at html[i] ('&'); on success appends it and moves i past it.
bool DecodeEntity(std::string_view html, size_t& i, std::string& out) {
    size_t semi = html.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 12) return false;
    std::string_view body = html.substr(i + 1, semi - i - 1);
    if (body.empty()) return false;
    uint32_t cp = 0;
    if (body[0] == '#') {
        bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
        std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        for (char c : digits) {
            int d = -1;
            if (c >= '0' && c <= '9') d = c - '0';
            if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            if (d < 0) return false;
            cp = std::min<uint32_t>(cp * (hex ? 16 : 10) + static_cast<uint32_t>(d), 0x110000);
        }
    } else {
        const Entity* found = nullptr;
        for (const Entity& e : kEntities)
            if (body == e.name) found = &e;
        if (!found) return false;
        cp = found->cp;
    }
    // A no-break space reads as a blank; a soft hyphen is invisible.
    if (cp == 0xAD) {
    } else if (cp == 0xA0) {
        out += ' ';
    } else {
        AppendUtf8(out, cp);
    }
    i = semi + 1;
    return true;
}

struct Tag {
    std::string name;  // lower case, without "/"
    bool closing = false;
    std::string alt;  // of an <img>
};

// Parses the tag that starts at html[i] ('<'); moves i past its '>'.
Tag ParseTag(std::string_view html, size_t& i) {
    Tag tag;
    size_t j = i + 1;
    if (j < html.size() && html[j] == '/') {
        tag.closing = true;
        ++j;
    }
    while (j < html.size() && !IsBlank(html[j]) && html[j] != '>' && html[j] != '/')
        tag.name += Lower(html[j++]);
    // Attributes: only an alt text matters; quoted values may hold ">".
    while (j < html.size() && html[j] != '>') {
        if (IsBlank(html[j]) || html[j] == '/') {
            ++j;
            continue;
        }
        std::string attr;
        while (j < html.size() && !IsBlank(html[j]) && html[j] != '=' && html[j] != '>')
            attr += Lower(html[j++]);
        while (j < html.size() && IsBlank(html[j])) ++j;
        if (j >= html.size() || html[j] != '=') continue;
        ++j;
        while (j < html.size() && IsBlank(html[j])) ++j;
        std::string value;
        if (j < html.size() && (html[j] == '"' || html[j] == '\'')) {
            char q = html[j++];
            size_t end = html.find(q, j);
            if (end == std::string_view::npos) end = html.size();
            value = html.substr(j, end - j);
            j = end < html.size() ? end + 1 : end;
        } else {
            while (j < html.size() && !IsBlank(html[j]) && html[j] != '>') value += html[j++];
        }
        if (attr == "alt") tag.alt = value;
    }
    i = j < html.size() ? j + 1 : j;
    return tag;
}

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

class Writer {
public:
    void Text(std::string_view s) {
        Flush();
        out.append(s);
    }
    void Blank() { m_Space = true; }
    // Asks for at least `n` line breaks before the next text (1 a new line, 2 a blank line between).
    void Break(int n) { m_Breaks = std::max(m_Breaks, n); }
    void LineBreak() { m_Breaks += 1; }
    void Flush() {
        if (!out.empty() && m_Breaks > 0) {
            while (!out.empty() && out.back() == ' ') out.pop_back();
            out.append(static_cast<size_t>(m_Breaks), '\n');
        } else if (m_Space && !out.empty() && out.back() != '\n' && out.back() != ' ') {
            out += ' ';
        }
        m_Breaks = 0;
        m_Space = false;
    }
    std::string out;

private:
    int m_Breaks = 0;
    bool m_Space = false;
};

}  // namespace

std::string HtmlToText(std::string_view html) {
    Writer w;
    int pre = 0;
    std::string skipUntil;  // the closing tag that ends a skipped element's contents
    std::string decoded;
    for (size_t i = 0; i < html.size();) {
        char c = html[i];
        if (c == '<' && html.compare(i, 4, "<!--") == 0) {
            size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        if (c == '<' && i + 1 < html.size() &&
            (html[i + 1] == '/' || html[i + 1] == '!' || html[i + 1] == '?' ||
             (Lower(html[i + 1]) >= 'a' && Lower(html[i + 1]) <= 'z'))) {
            Tag tag = ParseTag(html, i);
            if (!skipUntil.empty()) {
                if (tag.closing && tag.name == skipUntil) skipUntil.clear();
                continue;
            }
            const std::string& n = tag.name;
            if (!tag.closing && OneOf(n, {"head", "title", "script", "style"})) {
                skipUntil = n;
            } else if (n == "br") {
                w.LineBreak();
            } else if (n == "pre") {
                w.Break(2);
                pre = tag.closing ? std::max(0, pre - 1) : pre + 1;
            } else if (OneOf(n, {"p",    "h1",      "h2",      "h3",     "h4",         "h5",  "h6",
                                 "ul",   "ol",      "dl",      "table",  "blockquote", "hr",  "center",
                                 "form", "section", "article", "header", "footer",     "nav", "figure"})) {
                w.Break(2);
                if (n == "hr" && !tag.closing) {
                    w.Text("----------");
                    w.Break(2);
                }
            } else if (OneOf(n,
                             {"div", "tr", "dt", "dd", "caption", "address", "figcaption", "body", "html"})) {
                w.Break(1);
            } else if (n == "li") {
                w.Break(1);
                if (!tag.closing) w.Text("- ");
            } else if (OneOf(n, {"td", "th"}) && !tag.closing) {
                w.Blank();
                w.Blank();
            } else if (n == "img" && !tag.alt.empty()) {
                std::string alt;
                for (size_t k = 0; k < tag.alt.size();) {
                    if (tag.alt[k] == '&' && DecodeEntity(tag.alt, k, alt)) continue;
                    alt += IsBlank(tag.alt[k]) ? ' ' : tag.alt[k];
                    ++k;
                }
                w.Text("[" + alt + "]");
            }
            continue;
        }
        if (!skipUntil.empty()) {
            ++i;
            continue;
        }
        if (c == '&') {
            decoded.clear();
            if (DecodeEntity(html, i, decoded)) {
                if (decoded == " " && !pre)
                    w.Text(" ");
                else
                    w.Text(decoded);
                continue;
            }
        }
        if (pre) {
            if (c == '\r') {
                ++i;
                continue;
            }
            if (c == '\n') {
                w.LineBreak();
            } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            } else {
                w.Text(std::string_view(&html[i], 1));
            }
            ++i;
            continue;
        }
        if (IsBlank(c)) {
            w.Blank();
            ++i;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            ++i;
            continue;
        }
        // A run of ordinary characters in one piece.
        size_t end = i + 1;
        while (end < html.size() && html[end] != '<' && html[end] != '&' && !IsBlank(html[end]) &&
               static_cast<unsigned char>(html[end]) >= 0x20 && html[end] != 0x7F)
            ++end;
        w.Text(html.substr(i, end - i));
        i = end;
    }
    // C1 controls (U+0080..U+009F), which some terminals obey like ESC [, go too.
    std::string out;
    out.reserve(w.out.size());
    for (size_t k = 0; k < w.out.size(); ++k) {
        if (w.out[k] == '\xC2' && k + 1 < w.out.size() && static_cast<unsigned char>(w.out[k + 1]) >= 0x80 &&
            static_cast<unsigned char>(w.out[k + 1]) <= 0x9F) {
            ++k;
            continue;
        }
        out += w.out[k];
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
    if (!out.empty()) out += '\n';
    return out;
}

}  // namespace tarvik::text
