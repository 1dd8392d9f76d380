// Recognising a quest of the later dialect. Each marker is a construct that the language itself does not
// have, or reads in a way no author meant (a link printed raw, a `!=` that is always false), so that a quest
// of the language, which prints "<" and ">" on purpose and comments with ";", is never taken for one.
#include "game/dialect.h"

#include <array>

#include "text/text.h"

namespace tarvik {

namespace {

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view s) {
    size_t k = 0;
    while (k < s.size() && IsBlankOrTab(s[k])) ++k;
    return s.substr(k);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// Where a statement may begin: at the line's start, after "then " or "else ", and after "&".
template <typename Visit>
bool AnyStatement(std::string_view line, Visit visit) {
    if (visit(SkipBlanks(line))) return true;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '&') {
            if (visit(SkipBlanks(line.substr(i + 1)))) return true;
            continue;
        }
        if (i > 0 && !IsBlankOrTab(line[i - 1])) continue;
        const std::string_view rest = line.substr(i);
        if (text::StartsWithNoCase(rest, "then ") || text::StartsWithNoCase(rest, "else "))
            if (visit(SkipBlanks(rest.substr(5)))) return true;
    }
    return false;
}

// `image NAME` or `music NAME`: the word, a blank, and a name that is not an assignment's "=".
bool IsNamingStatement(std::string_view s, std::string_view word) {
    if (!text::StartsWithNoCase(s, word) || s.size() <= word.size() || !IsBlankOrTab(s[word.size()]))
        return false;
    const std::string_view name = SkipBlanks(s.substr(word.size()));
    return !name.empty() && name[0] != '=' && name[0] != '&';
}

bool IsDialectStatement(std::string_view s) {
    if (IsNamingStatement(s, "image") || IsNamingStatement(s, "music")) return true;
    if (text::StartsWithNoCase(s, "forget_procs")) {
        const std::string_view rest = s.substr(12);
        return rest.empty() || IsBlankOrTab(rest[0]) || rest[0] == '&';
    }
    if (text::StartsWithNoCase(s, "btn ")) {
        const size_t comma = s.find(',');
        const size_t amp = s.find('&');
        return amp != std::string_view::npos && (comma == std::string_view::npos || amp < comma);
    }
    if (text::StartsWithNoCase(s, "if ")) {
        const size_t then = text::FindNoCase(s, " then ");
        return s.substr(0, then).find("!=") != std::string_view::npos;
    }
    for (std::string_view style :
         {std::string_view("Style_TextColor"), std::string_view("Style_BackColor")}) {
        if (!text::StartsWithNoCase(s, style)) continue;
        std::string_view v = SkipBlanks(s.substr(style.size()));
        if (v.empty() || v[0] != '=') return false;
        v = SkipBlanks(v.substr(1));
        if (v.size() < 2 || v[0] != '"' || v[1] != '#') return false;
        size_t digits = 0;
        while (2 + digits < v.size() && IsHexDigit(v[2 + digits])) ++digits;
        return (digits == 3 || digits == 6) && 2 + digits < v.size() && v[2 + digits] == '"';
    }
    return false;
}

bool HasClosingTag(std::string_view line) {
    static constexpr std::array<std::string_view, 20> kTags = {
        "b",  "i",  "u",  "em", "strong", "center", "div", "p",     "font", "span",
        "h1", "h2", "h3", "h4", "h5",     "h6",     "a",   "table", "tr",   "td"};
    for (size_t at = line.find("</"); at != std::string_view::npos; at = line.find("</", at + 2)) {
        const size_t close = line.find('>', at + 2);
        if (close == std::string_view::npos) return false;
        const std::string_view name = line.substr(at + 2, close - at - 2);
        if (text::EqualsNoCase(name, "form")) return true;
        for (std::string_view tag : kTags)
            if (text::EqualsNoCase(name, tag)) return true;
    }
    return false;
}

// A link counts only when it leads to a label of the quest: "[[" and "]]" occur in quests of the language
// as plain text.
bool HasLinkToLabel(std::string_view line, const ProgramStore& lines) {
    for (size_t at = line.find("[["); at != std::string_view::npos; at = line.find("[[", at + 2)) {
        const size_t close = line.find("]]", at + 2);
        if (close == std::string_view::npos) return false;
        std::string_view inner = line.substr(at + 2, close - at - 2);
        const size_t bar = inner.rfind('|');
        if (bar != std::string_view::npos) inner = inner.substr(bar + 1);
        inner = text::TrimView(inner);
        if (!inner.empty() && lines.LabelListed(inner)) return true;
    }
    return false;
}

}  // namespace

bool DetectDialect(const ProgramStore& lines) {
    bool marked = false;
    for (std::string_view line : lines) {
        // A quest that uses the language's own HTML view writes its tags for that view.
        if (text::ContainsNoCase(line, "<html>") || text::StartsWithNoCase(line, "html ")) return false;
        if (marked) continue;
        marked = text::StartsWithNoCase(SkipBlanks(line), "//") || HasClosingTag(line) ||
                 HasLinkToLabel(line, lines) || AnyStatement(line, IsDialectStatement);
    }
    return marked;
}

}  // namespace tarvik
