#include "text/inline_html.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "text/text.h"

namespace tarvik::text {

namespace {

// The elements of HTML that printed text may hold; a '<' before any other word is the author's own text.
constexpr std::array<std::string_view, 62> kElements = {
    "a",      "abbr", "b",   "big",   "blockquote", "body", "br",      "caption", "center",
    "cite",   "code", "dd",  "del",   "div",        "dl",   "dt",      "em",      "font",
    "form",   "h1",   "h2",  "h3",    "h4",         "h5",   "h6",      "head",    "hr",
    "html",   "i",    "img", "input", "ins",        "kbd",  "label",   "li",      "nobr",
    "ol",     "p",    "pre", "q",     "s",          "samp", "small",   "span",    "strike",
    "strong", "sub",  "sup", "table", "tbody",      "td",   "tfoot",   "th",      "thead",
    "title",  "tr",   "tt",  "u",     "ul",         "var",  "section", "button"};

// Elements whose start and end begin a line of their own.
constexpr std::array<std::string_view, 20> kBlocks = {
    "blockquote", "center", "div", "dl", "dt", "dd", "form", "h1",    "h2", "h3",
    "h4",         "h5",     "h6",  "li", "ol", "p",  "pre",  "table", "tr", "ul"};

template <size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return n == name; });
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Tag {
    std::string name;  // lower case
    bool closing = false;
    std::vector<std::pair<std::string, std::string>> attributes;  // names in lower case

    std::string Attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes)
            if (k == key) return v;
        return {};
    }
};

// The tag at `at` (a '<'), and the position past its '>'; 0 when there is none of HTML there.
size_t ReadTag(std::string_view s, size_t at, Tag& tag) {
    size_t i = at + 1;
    if (i < s.size() && s[i] == '!') {  // a comment or a declaration goes as a whole
        if (s.substr(i, 3) == "!--") {
            size_t end = s.find("-->", i + 3);
            return end == std::string_view::npos ? 0 : end + 3;
        }
        size_t end = s.find('>', i);
        return end == std::string_view::npos ? 0 : end + 1;
    }
    tag = Tag{};
    if (i < s.size() && s[i] == '/') {
        tag.closing = true;
        ++i;
    }
    size_t start = i;
    while (i < s.size() && (IsLetter(s[i]) || (i > start && s[i] >= '1' && s[i] <= '6'))) ++i;
    tag.name = ToLower(s.substr(start, i - start));
    if (!Among(kElements, tag.name)) return 0;
    if (i < s.size() && !IsBlank(s[i]) && s[i] != '>' && s[i] != '/') return 0;
    while (i < s.size()) {
        while (i < s.size() && (IsBlank(s[i]) || s[i] == '/')) ++i;
        if (i >= s.size()) return 0;
        if (s[i] == '>') return i + 1;
        size_t nameStart = i;
        while (i < s.size() && !IsBlank(s[i]) && s[i] != '=' && s[i] != '>' && s[i] != '/') ++i;
        std::string key = ToLower(s.substr(nameStart, i - nameStart));
        std::string value;
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && IsBlank(s[i])) ++i;
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                size_t close = s.find(s[i], i + 1);
                if (close == std::string_view::npos) return 0;
                value = s.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                size_t valueStart = i;
                while (i < s.size() && !IsBlank(s[i]) && s[i] != '>') ++i;
                value = s.substr(valueStart, i - valueStart);
            }
        }
        if (!key.empty()) tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return 0;
}

uint8_t AlignNamed(std::string_view value) {
    std::string v = Trim(ToLower(value));
    if (v == "left" || v == "justify") return 1;
    if (v == "right") return 2;
    if (v == "center" || v == "middle") return 3;
    return 0;
}

// The value of one CSS property in a style attribute.
std::string CssProperty(const std::string& css, std::string_view property) {
    std::string lower = ToLower(css);
    size_t from = 0;
    while (from < lower.size()) {
        size_t end = lower.find(';', from);
        if (end == std::string::npos) end = lower.size();
        std::string_view decl = std::string_view(lower).substr(from, end - from);
        size_t colon = decl.find(':');
        if (colon != std::string_view::npos && Trim(decl.substr(0, colon)) == property)
            return Trim(decl.substr(colon + 1));
        from = end + 1;
    }
    return {};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ToLowerChar(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "#rgb", "#rrggbb" or a common colour name, as R + 256*G + 65536*B; -1 when unknown.
int32_t ColourNamed(std::string_view value) {
    std::string v = Trim(ToLower(value));
    if (!v.empty() && v[0] == '#') v.erase(0, 1);
    if (v.size() == 3 || v.size() == 6) {
        int digits[6] = {};
        bool hex = true;
        for (size_t k = 0; k < v.size(); ++k) hex = hex && (digits[k] = HexDigit(v[k])) >= 0;
        if (hex) {
            auto channel = [&](int n) {
                return v.size() == 3 ? digits[n] * 17 : digits[2 * n] * 16 + digits[2 * n + 1];
            };
            return channel(0) + 256 * channel(1) + 65536 * channel(2);
        }
    }
    static constexpr std::pair<std::string_view, int32_t> kNames[] = {
        {"black", 0x000000},   {"white", 0xFFFFFF},  {"red", 0x0000FF},   {"green", 0x008000},
        {"blue", 0xFF0000},    {"yellow", 0x00FFFF}, {"gray", 0x808080},  {"grey", 0x808080},
        {"silver", 0xC0C0C0},  {"maroon", 0x000080}, {"navy", 0x800000},  {"purple", 0x800080},
        {"olive", 0x008080},   {"teal", 0x808000},   {"lime", 0x00FF00},  {"aqua", 0xFFFF00},
        {"fuchsia", 0xFF00FF}, {"orange", 0x00A5FF}, {"brown", 0x2A2AA5}, {"darkred", 0x00008B}};
    for (const auto& [name, colour] : kNames)
        if (v == name) return colour;
    return -1;
}

uint8_t FontSize(std::string_view value) {
    std::string v = Trim(value);
    if (v.empty()) return 0;
    int n = std::atoi(v.c_str() + (v[0] == '+' ? 1 : 0));
    if (v[0] == '+' || v[0] == '-') n = 3 + n;
    return static_cast<uint8_t>(std::clamp(n, 1, 7));
}

// The character an entity names, in code page 1251; empty when it is none of these.
std::string_view Entity(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
        {"lt", "<"},       {"gt", ">"},       {"amp", "&"},       {"quot", "\""},
        {"apos", "'"},     {"nbsp", "\xA0"},  {"laquo", "\xAB"},  {"raquo", "\xBB"},
        {"mdash", "\x97"}, {"ndash", "\x96"}, {"hellip", "\x85"}, {"copy", "\xA9"}};
    for (const auto& [n, c] : kEntities)
        if (EqualsNoCase(n, name)) return c;
    return {};
}

class Builder {
public:
    explicit Builder(bool links) : m_Links(links) {}

    void Text(std::string_view t) {
        if (t.empty()) return;
        if (m_BreakDue) {
            // A line break of the text's own ends the block as well; blanks before it would make a line.
            const size_t k = t.find_first_not_of(" \t");
            if (k == std::string_view::npos) return;
            if (t[k] == '\r' || t[k] == '\n') {
                m_BreakDue = false;
                t.remove_prefix(k);
            } else {
                Break();
            }
        }
        if (!m_Out.empty() && m_Out.back().kind == InlinePiece::Kind::Text && m_Out.back().style == m_Style)
            m_Out.back().text.append(t);
        else
            m_Out.push_back({InlinePiece::Kind::Text, std::string(t), {}, m_Style});
        m_AtLineStart = t.back() == '\n';
    }
    void Special(InlinePiece::Kind kind, std::string text, std::string target) {
        if (m_BreakDue) Break();
        m_Out.push_back({kind, std::move(text), std::move(target), m_Style});
        m_AtLineStart = kind != InlinePiece::Kind::Link;
    }
    void LineBreak() {
        m_BreakDue = false;
        Text("\r\n");
    }
    // A block starts or ends: what follows begins a line, but no empty line is made.
    void BlockEdge() {
        if (m_BreakDue || m_AtLineStart || m_Out.empty()) return;
        m_BreakDue = true;
        m_BreakStyle = m_Style;
    }

    void Open(const Tag& tag) {
        const std::string& n = tag.name;
        if (n == "br") return LineBreak();
        if (n == "hr") {
            BlockEdge();
            return Special(InlinePiece::Kind::Rule, {}, {});
        }
        if (n == "img") {
            std::string src = tag.Attribute("src");
            if (!src.empty()) {
                BlockEdge();
                Special(InlinePiece::Kind::Picture, std::move(src), {});
            }
            return;
        }
        if (Among(kBlocks, n)) BlockEdge();
        m_Open.push_back({n, m_Style});
        if (n == "b" || n == "strong") m_Style.bold = true;
        if (n == "i" || n == "em") m_Style.italic = true;
        if (n == "u") m_Style.underline = true;
        if (n == "center") m_Style.align = 3;
        if (n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6') m_Style.heading = n[1] - '0';
        if (n == "font") {
            int32_t colour = ColourNamed(tag.Attribute("color"));
            if (colour >= 0) m_Style.color = colour;
            if (uint8_t size = FontSize(tag.Attribute("size")); size) m_Style.size = size;
        }
        std::string align = tag.Attribute("align");
        std::string css = tag.Attribute("style");
        if (align.empty()) align = CssProperty(css, "text-align");
        if (uint8_t a = AlignNamed(align); a && (Among(kBlocks, n) || n == "span")) m_Style.align = a;
        if (int32_t colour = ColourNamed(CssProperty(css, "color")); colour >= 0) m_Style.color = colour;
        std::string weight = CssProperty(css, "font-weight");
        if (weight == "bold" || weight == "700" || weight == "bolder") m_Style.bold = true;
        if (CssProperty(css, "font-style") == "italic") m_Style.italic = true;
    }
    void Close(const Tag& tag) {
        auto it =
            std::find_if(m_Open.rbegin(), m_Open.rend(), [&](const auto& o) { return o.first == tag.name; });
        if (it == m_Open.rend()) return;
        m_Style = it->second;
        m_Open.erase(std::next(it).base(), m_Open.end());
        if (Among(kBlocks, tag.name)) BlockEdge();
    }
    bool links() const { return m_Links; }
    std::vector<InlinePiece> Take() { return std::move(m_Out); }

private:
    // The break belongs to the block it ends.
    void Break() {
        m_BreakDue = false;
        std::swap(m_Style, m_BreakStyle);
        Text("\r\n");
        std::swap(m_Style, m_BreakStyle);
    }

    bool m_Links;
    InlineStyle m_Style;
    std::vector<std::pair<std::string, InlineStyle>> m_Open;
    std::vector<InlinePiece> m_Out;
    bool m_AtLineStart = true;
    bool m_BreakDue = false;
    InlineStyle m_BreakStyle;
};

// The position past an entity at `at` (a '&'), with its character, or 0.
size_t ReadEntity(std::string_view s, size_t at, std::string& out) {
    size_t semi = s.find(';', at + 1);
    if (semi == std::string_view::npos || semi - at > 10) return 0;
    std::string_view name = s.substr(at + 1, semi - at - 1);
    if (name.size() > 1 && name[0] == '#') {
        int code = name[1] == 'x' || name[1] == 'X'
                       ? std::strtol(std::string(name.substr(2)).c_str(), nullptr, 16)
                       : std::atoi(std::string(name.substr(1)).c_str());
        if (code < 32 || code > 126) return 0;  // beyond ASCII the code page has no simple answer
        out.assign(1, static_cast<char>(code));
        return semi + 1;
    }
    std::string_view c = Entity(name);
    if (c.empty()) return 0;
    out.assign(c);
    return semi + 1;
}

}  // namespace

std::vector<InlinePiece> ParseInlineHtml(std::string_view s, bool links) {
    Builder out(links);
    size_t textFrom = 0;
    std::string text;
    auto flush = [&](size_t upTo) {
        text.append(s.substr(textFrom, upTo - textFrom));
        out.Text(text);
        text.clear();
    };
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '<') {
            Tag tag;
            size_t past = ReadTag(s, i, tag);
            if (past) {
                flush(i);
                if (!tag.name.empty()) tag.closing ? out.Close(tag) : out.Open(tag);
                i = textFrom = past;
                continue;
            }
        } else if (c == '&') {
            std::string ch;
            size_t past = ReadEntity(s, i, ch);
            if (past) {
                text.append(s.substr(textFrom, i - textFrom));
                text += ch;
                i = textFrom = past;
                continue;
            }
        } else if (c == '[' && links && i + 1 < s.size() && s[i + 1] == '[') {
            size_t close = s.find("]]", i + 2);
            if (close != std::string_view::npos) {
                flush(i);
                std::string_view inner = s.substr(i + 2, close - i - 2);
                size_t bar = inner.rfind('|');
                std::string_view caption = bar == std::string_view::npos ? inner : inner.substr(0, bar);
                std::string_view target = bar == std::string_view::npos ? inner : inner.substr(bar + 1);
                out.Special(InlinePiece::Kind::Link, StripInlineTags(caption), std::string(target));
                i = textFrom = close + 2;
                continue;
            }
        }
        ++i;
    }
    flush(s.size());
    return out.Take();
}

std::string StripInlineTags(std::string_view printed) {
    std::string all;
    for (const auto& piece : ParseInlineHtml(printed, false))
        if (piece.kind == InlinePiece::Kind::Text) all += piece.text;
    // A caption is one line: a break that blocks made is a blank, or nothing beside a blank.
    std::string line;
    line.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] != '\r' && all[i] != '\n') {
            line += all[i];
            continue;
        }
        if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
        const bool blankAfter = i + 1 >= all.size() || IsBlank(all[i + 1]);
        if (!line.empty() && !IsBlank(line.back()) && !blankAfter) line += ' ';
    }
    return line;
}

}  // namespace tarvik::text
