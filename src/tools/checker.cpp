#include "tools/checker.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "engine/engine.h"
#include "engine/program_store.h"
#include "files/paths.h"
#include "formats/quest_source.h"
#include "game/dialect.h"
#include "text/text.h"

namespace tarvik::tools {

namespace fs = std::filesystem;

namespace {

using Origin = formats::SourceOrigin;

bool StartsWord(const std::string& s, std::string_view keyword) {
    return text::StartsWithNoCase(s + " ", keyword);
}

std::string_view After(const std::string& s, size_t n) {
    return n < s.size() ? std::string_view(s).substr(n) : std::string_view();
}

// ":" + label, built so as not to trip GCC's overlap warning on a short literal in front.
std::string LabelKey(std::string_view label) {
    std::string key(1, ':');
    key += label;
    return text::ToLower(key);
}

bool Dynamic(std::string_view target) {
    size_t hash = target.find('#');
    return hash != std::string_view::npos && target.find('$', hash) != std::string_view::npos;
}

// The dialect's printing statements, whose text keeps a ";" that no blank stands before.
bool PrintLine(std::string_view line) {
    const std::string first = text::ToLower(std::string(line.substr(0, line.find_first_of(" \t"))));
    return first == "p" || first == "pln" || first == "print" || first == "println";
}

// Where the comment of a line starts, as the run loop cuts it; npos when there is none.
size_t CommentAt(const std::string& line, bool dialect) {
    if (!dialect || !PrintLine(text::LTrim(line))) return line.find(';');
    for (size_t at = line.find(';'); at != std::string::npos; at = line.find(';', at + 1))
        if (at > 0 && (line[at - 1] == ' ' || line[at - 1] == '\t')) return at;
    return std::string::npos;
}

// A line the dialect leaves out, as the run loop does once the HTML blocks are read.
bool DialectComment(const std::string& line, bool dialect) {
    return dialect && text::LTrim(line).rfind("//", 0) == 0;
}

// The dialect's button with statements: its first "&" comes before its first ",".
bool StatementButton(const std::string& s, bool dialect) {
    if (!dialect || !StartsWord(s, "btn ")) return false;
    const size_t amp = s.find('&');
    return amp != std::string::npos && amp < s.find(',');
}

// The dialect's `image NAME` and `music NAME`: the word and a name, not an assignment's "=".
bool NamingStatement(const std::string& s, bool dialect) {
    if (!dialect || !(StartsWord(s, "image ") || StartsWord(s, "music "))) return false;
    const std::string name = text::LTrim(After(s, 6));
    return !name.empty() && name[0] != '=';
}

class Checker {
public:
    Checker(const std::string& questPath, DialectSwitch dialect)
        : m_QuestNative(questPath), m_Switch(dialect) {
        m_QuestPath = text::Utf8ToCp1251(questPath);
        size_t sep = m_QuestPath.find_last_of("\\/");
        m_QuestFolder = sep == std::string::npos ? std::string() : m_QuestPath.substr(0, sep + 1);
        size_t nsep = questPath.find_last_of('/');
        m_QuestFolderNative = nsep == std::string::npos ? std::string() : questPath.substr(0, nsep + 1);
        m_Files.push_back(questPath);
    }

    CheckResult Run();
    // Run stops once the program lines are read and hands where each was written.
    void CollectSources(std::vector<SourceLine>* out) { m_Sources = out; }

private:
    enum class Found { Yes, OtherCase, No };

    void Report(CheckReport::Severity severity, Origin o, std::string message) {
        m_Result.reports.push_back(
            {severity, m_Files[static_cast<size_t>(o.file)], o.line, std::move(message)});
    }
    void Error(Origin o, std::string message) { Report(CheckReport::Severity::Error, o, std::move(message)); }
    void Warning(Origin o, std::string message) {
        Report(CheckReport::Severity::Warning, o, std::move(message));
    }

    // A quest-side file name as the player finds it: beside the quest when it starts with the quest's folder
    // or names no folder of its own; `literal` is the spelling without letter-case matching.
    std::string Native(const std::string& cp1251, std::string& literal) const;
    Found Exists(const std::string& cp1251, std::string& found) const;
    void CheckFile(Origin o, const char* what, const std::string& cp1251);

    formats::IncludeAnswer Include(const formats::IncludeRequest& include);
    void Statement(const std::string& s, Origin o);
    void Target(const char* keyword, const std::string& target, Origin o);
    // The link targets of a printing statement in the dialect.
    void Links(const std::string& s, Origin o);
    void DialectStatement(const std::string& s, Origin o);
    void OrdinaryLine(const std::string& line, Origin o);
    // A prepared "&" chain, piece by piece, as the run loop hands its pieces on.
    void Chain(const std::string& chain, Origin o);
    bool KnownStatement(const std::string& s) const;
    void UnknownStatement(const std::string& s, Origin o);

    std::string m_QuestNative, m_QuestPath, m_QuestFolder, m_QuestFolderNative;
    DialectSwitch m_Switch;
    bool m_Dialect = false;
    std::vector<std::string> m_Files;
    size_t m_LineReports = 0;             // reports made before the line being checked
    std::map<std::string, int> m_Labels;  // lower-case key -> program line
    std::set<std::string> m_Named;        // lower-case keys some statement names
    std::vector<std::string> m_Prefixes;  // lower-case ":" + the fixed start of targets built with #...$
    CheckResult m_Result;
    std::vector<SourceLine>* m_Sources = nullptr;
};

std::string Checker::Native(const std::string& cp1251, std::string& literal) const {
    std::string native;
    if (!m_QuestFolder.empty() && cp1251.compare(0, m_QuestFolder.size(), m_QuestFolder) == 0) {
        native =
            m_QuestFolderNative + text::Cp1251ToUtf8(std::string_view(cp1251).substr(m_QuestFolder.size()));
        std::replace(native.begin(), native.end(), '\\', '/');
    } else {
        native = text::Cp1251ToUtf8(cp1251);
        std::replace(native.begin(), native.end(), '\\', '/');
        // The player opens a quest from its own folder, so a bare name means a file beside the quest.
        if (!native.empty() && native.front() != '/') native = m_QuestFolderNative + native;
    }
    literal = native;
    return ResolvePath(native);
}

Checker::Found Checker::Exists(const std::string& cp1251, std::string& found) const {
    std::string literal;
    found = Native(cp1251, literal);
    std::error_code ec;
    if (fs::is_regular_file(literal, ec)) return Found::Yes;
    if (fs::is_regular_file(found, ec)) return Found::OtherCase;
    return Found::No;
}

void Checker::CheckFile(Origin o, const char* what, const std::string& cp1251) {
    std::string found;
    const std::string shown = text::Cp1251ToUtf8(cp1251);
    switch (Exists(cp1251, found)) {
        case Found::Yes:
            return;
        case Found::OtherCase:
            Warning(o, std::string(what) + " \"" + shown + "\" exists only as \"" + found +
                           "\" (another letter case)");
            return;
        case Found::No:
            Error(o, std::string(what) + " \"" + shown + "\" does not exist");
            return;
    }
}

formats::IncludeAnswer Checker::Include(const formats::IncludeRequest& include) {
    formats::IncludeAnswer answer;
    const std::string& name = include.name;
    const Origin o = include.at;
    std::string found;
    if (name.empty()) {
        Error(o, "\"include\" names no file (the word also counts inside other words and text)");
    } else if (!text::StartsWithNoCase(name, "http://")) {
        Found f = Exists(name, found);
        if (f == Found::No) {
            // The word counts anywhere, also inside a word or a line of text: say what was taken as the name.
            Error(o, "included file \"" + text::Cp1251ToUtf8(name) +
                         "\" does not exist (everything after the word \"include\" on its line is the name)");
        } else {
            if (f == Found::OtherCase) CheckFile(o, "included file", name);
            if (include.allowed && ReadWholeFile(found, answer.text, Limits::kMaxQuestFile)) {
                answer.kind = formats::IncludeAnswer::Kind::Text;
                answer.file = found;
                m_Files.push_back(found);
            }
        }
    }
    return answer;
}

void Checker::Target(const char* keyword, const std::string& target, Origin o) {
    if (Dynamic(target)) {
        m_Prefixes.push_back(LabelKey(target.substr(0, target.find('#'))));
        return;
    }
    const std::string key = LabelKey(target);
    m_Named.insert(key);
    if (!m_Labels.count(key))
        Error(o, std::string(keyword) + " target \"" + text::Cp1251ToUtf8(target) + "\" names no label");
}

void Checker::Statement(const std::string& raw, Origin o) {
    std::string s = text::LTrim(raw);
    if (text::StartsWithNoCase(s, "if ")) {
        Chain(s, o);
        return;
    }
    if (s.empty() || s[0] == ':') return;
    // A statement built by substitution is known only in play.
    if (!Dynamic(s) && !KnownStatement(s)) {
        // A piece cut off by a stray ";" or "&" the line was already warned about is that warning's news.
        if (m_Result.reports.size() > m_LineReports) return;
        UnknownStatement(text::Trim(s), o);
        return;
    }
    if (StatementButton(s, m_Dialect) || NamingStatement(s, m_Dialect) ||
        (m_Dialect && StartsWord(s, "forget_procs "))) {
        DialectStatement(s, o);
    } else if (StartsWord(s, "btn ")) {
        std::string arg = text::LTrim(After(s, 4));
        size_t comma = arg.find(',');
        if (comma != std::string::npos)
            Target("btn", arg.substr(0, comma), o);
        else
            Error(o, "\"" + text::Cp1251ToUtf8(text::Trim(s)) +
                         "\" makes no button: btn needs a comma between the label and the caption");
    } else if (StartsWord(s, "xbtn ")) {
        std::string arg = text::LTrim(After(s, 5));
        size_t comma = arg.find(',');
        if (comma == std::string::npos) return;
        Target("xbtn", arg.substr(0, comma), o);
        std::string rest = arg.substr(comma + 1);
        size_t open = rest.find('{'), close = rest.find('}');
        std::string commands = open != std::string::npos && close != std::string::npos && close > open
                                   ? rest.substr(open + 1, close - open - 1)
                                   : rest.substr(0, rest.find(','));
        size_t from = 0;
        while (from <= commands.size()) {
            size_t bar = commands.find('|', from);
            Chain(
                text::LTrim(commands.substr(from, bar == std::string::npos ? std::string::npos : bar - from)),
                o);
            if (bar == std::string::npos) break;
            from = bar + 1;
        }
    } else if (StartsWord(s, "goto ") || StartsWord(s, "proc ")) {
        Target(StartsWord(s, "goto ") ? "goto" : "proc", text::Trim(After(s, 5)), o);
    } else if (StartsWord(s, "save ")) {
        std::string label = text::Trim(After(s, 5));
        if (!label.empty()) Target("save", label, o);
    } else if (StartsWord(s, "play ")) {
        // The executor's own trailing blank is dropped; the author's trailing blanks stay in the name.
        std::string name = s.size() > 5 ? s.substr(5) : std::string();
        if (!name.empty() && !Dynamic(name)) CheckFile(o, "sound", m_QuestFolder + name);
    } else if (m_Dialect && (StartsWord(s, "p ") || StartsWord(s, "pln ") || StartsWord(s, "print ") ||
                             StartsWord(s, "println "))) {
        Links(s, o);
    } else if (size_t eq = s.find('='); eq != std::string::npos && !StartsWord(s, "pln ") &&
                                        !StartsWord(s, "p ") && !StartsWord(s, "print ") &&
                                        !StartsWord(s, "println ") && !StartsWord(s, "instr ")) {
        std::string name = text::ToLower(text::Trim(std::string_view(s).substr(0, eq)));
        std::string value = text::Trim(std::string_view(s).substr(eq + 1));
        // Only names written out in quotes are literal; anything computed is left to play.
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') return;
        value = value.substr(1, value.size() - 2);
        if (value.empty() || value == "0" || value.find('"') != std::string::npos || Dynamic(value)) return;
        const bool hasDot = value.find('.') != std::string::npos;
        if (name == "music") {
            CheckFile(o, "music", hasDot ? value : m_QuestFolder + text::Trim(value + ".mid"));
        } else if (hasDot && name.rfind("formpicture", 0) == 0 && name.find("top") == std::string::npos &&
                   name.find("left") == std::string::npos) {
            CheckFile(o, "picture", value);
        } else if (hasDot && name.rfind("image", 0) == 0 && name != "imagetype" && name != "image_caption" &&
                   name.find("top") == std::string::npos && name.find("left") == std::string::npos) {
            CheckFile(o, "picture", m_QuestFolder + text::Trim(value));
        }
    }
}

void Checker::Links(const std::string& s, Origin o) {
    for (size_t open = s.find("[["); open != std::string::npos; open = s.find("[[", open + 2)) {
        const size_t close = s.find("]]", open + 2);
        if (close == std::string::npos) return;
        const std::string inner = s.substr(open + 2, close - open - 2);
        const size_t bar = inner.rfind('|');
        const std::string label = text::Trim(bar == std::string::npos ? inner : inner.substr(bar + 1));
        if (!label.empty()) Target("link", label, o);
        open = close;
    }
}

void Checker::DialectStatement(const std::string& s, Origin o) {
    if (StartsWord(s, "btn ")) {
        // The commands end at the first comma after the last "&"; the rest is the caption.
        const std::string arg = text::LTrim(After(s, 4));
        const size_t comma = arg.find(',', arg.rfind('&'));
        if (comma == std::string::npos) {
            Error(o, "\"" + text::Cp1251ToUtf8(text::Trim(s)) +
                         "\" makes no button: its statements need a comma before the caption");
            return;
        }
        Chain(arg.substr(0, comma), o);
        return;
    }
    if (StartsWord(s, "forget_procs ")) return;
    const bool image = StartsWord(s, "image ");
    // The executor's own trailing blank is dropped; the author's blanks around the name are not the file's.
    const std::string name = text::Trim(After(s, 6));
    if (name.empty() || Dynamic(name)) return;
    if (!image && (text::EqualsNoCase(name, "stop") || name == "0")) return;
    CheckFile(o, image ? "picture" : "music", m_QuestFolder + name);
}

void Checker::OrdinaryLine(const std::string& line, Origin o) {
    // Quotes are counted up to each place, as the author reads them.
    auto insideQuotes = [&line](size_t at) {
        return std::count(line.begin(), line.begin() + static_cast<long>(at), '"') % 2 == 1;
    };
    m_LineReports = m_Result.reports.size();
    std::string cur = line;
    size_t semi = CommentAt(cur, m_Dialect);
    if (semi != std::string::npos) {
        // A tag cut by the ";" opens with "<" and a name before it and closes after it; a "<" of a comparison
        // does neither.
        size_t tagOpen = cur.rfind('<', semi), tagClose = cur.rfind('>', semi);
        if (tagOpen != std::string::npos && (tagOpen + 1 >= cur.size() ||
                                             !(std::isalpha(static_cast<unsigned char>(cur[tagOpen + 1])) ||
                                               cur[tagOpen + 1] == '/' || cur[tagOpen + 1] == '!') ||
                                             cur.find('>', semi) == std::string::npos))
            tagOpen = std::string::npos;
        size_t amp = cur.rfind('&', semi);
        bool entity =
            amp != std::string::npos && semi > amp + 1 &&
            std::all_of(cur.begin() + static_cast<long>(amp) + 1, cur.begin() + static_cast<long>(semi),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '#'; });
        if (insideQuotes(semi))
            Warning(o, "\";\" inside quoted text: the rest of the line is a comment");
        else if ((tagOpen != std::string::npos && (tagClose == std::string::npos || tagClose < tagOpen)) ||
                 entity)
            Warning(o, "\";\" inside HTML outside an <html> block: the rest of the line is a comment");
        cur.erase(semi);
    }
    std::string trimmed = text::LTrim(cur);
    // Neither is split at "&": their "&" belong to the button's statements.
    const bool xbtn = StartsWord(trimmed, "xbtn ") || StatementButton(trimmed, m_Dialect);
    if (!xbtn) {
        for (size_t i = 0; i < cur.size(); ++i) {
            if (cur[i] != '&') continue;
            if (i + 1 < cur.size() && cur[i + 1] == '&') {
                ++i;
                continue;
            }
            if (insideQuotes(i)) {
                Warning(
                    o, "\"&\" inside quoted text splits the statement there; write \"&&\" for the character");
                break;
            }
        }
    }
    // As the run loop prepares a line: the blanks before every "&" go, then "&&" is a literal "&".
    for (size_t p; (p = trimmed.find(" &")) != std::string::npos;) trimmed.erase(p, 1);
    text::ReplaceAllNoCase(trimmed, "&&", "\x01");
    if (xbtn) {
        Statement(trimmed, o);
        return;
    }
    Chain(trimmed, o);
}

void Checker::Chain(const std::string& chain, Origin o) {
    // An if at the head of a chain governs the rest of it: both branches count, either may run, each split at
    // its own "&".
    if (text::StartsWithNoCase(chain, "if ")) {
        size_t then = text::FindNoCase(chain, " then ");
        if (then == std::string::npos) return;
        std::string rest = chain.substr(then + 6);
        size_t otherwise = text::FindNoCase(rest, "else ");
        Chain(rest.substr(0, otherwise), o);
        if (otherwise != std::string::npos) Chain(rest.substr(otherwise + 5), o);
        return;
    }
    // The dialect's button with statements keeps the rest of the chain, wherever a piece begins with it.
    size_t amp = StatementButton(text::LTrim(chain), m_Dialect) ? std::string::npos : chain.find('&');
    Statement(chain.substr(0, amp), o);
    if (amp != std::string::npos) Chain(chain.substr(amp + 1), o);
}

bool Checker::KnownStatement(const std::string& s) const {
    static constexpr const char* kWords[] = {
        "end",   "pln",    "p",    "println", "print",  "instr",       "input",   "input_box", "cls",  "clsb",
        "clst",  "btn",    "xbtn", "inv+",    "inv-",   "invkill",     "perkill", "save",      "goto", "proc",
        "pause", "anykey", "quit", "picture", "tokens", "inv_visible", "html",    "msgbox",    "play"};
    if (s.find('=') != std::string::npos) return true;
    const std::string padded = text::Trim(s) + " ";
    if (NamingStatement(padded, m_Dialect) || (m_Dialect && StartsWord(padded, "forget_procs "))) return true;
    for (const char* w : kWords)
        if (StartsWord(padded, std::string(w) + " ")) return true;
    return false;
}

void Checker::UnknownStatement(const std::string& s, Origin o) {
    const std::string shown = text::Cp1251ToUtf8(s);
    std::string hint;
    if (s.rfind("//", 0) == 0) {
        hint = "; a comment follows \";\" or stands between /* and */";
    } else {
        const std::string word = text::ToLower(s.substr(0, s.find(' ')));
        const std::string arg = text::Trim(After(s, word.size()));
        if ((word == "image" || word == "music") && !arg.empty())
            hint = "; did you mean " + word + "=\"" + text::Cp1251ToUtf8(arg) + "\"?";
    }
    Warning(o, "\"" + shown + "\" is no statement: the engine skips it" + hint);
}

CheckResult Checker::Run() {
    std::string bytes;
    std::optional<std::string> quest;
    if (ReadWholeFile(m_QuestNative, bytes, Limits::kMaxQuestFile))
        quest = formats::QuestFileText(m_QuestPath, std::move(bytes));
    if (!quest) {
        m_Result.readable = false;
        return m_Result;
    }
    formats::QuestSourceOptions options;
    options.file = m_QuestNative;
    options.questFolder = m_QuestFolder;
    options.limits = {Limits::kMaxIncludeDepth, Limits::kMaxIncludes, Limits::kMaxQuestText};
    options.trace = true;
    const formats::QuestSource source = formats::ReadQuestSource(
        std::move(*quest), options, [this](const formats::IncludeRequest& r) { return Include(r); });

    // The program lines as the loader stores them, each with where its text starts.
    std::vector<std::pair<std::string, Origin>> lines;
    for (size_t start = 0;;) {
        const size_t end = source.text.find('\n', start);
        std::string line =
            source.text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t k = line.find_first_not_of(' ');
        const size_t at = start + (k == std::string::npos ? 0 : k);
        const Origin o =
            source.origins.empty() ? Origin{} : source.origins[std::min(at, source.origins.size() - 1)];
        if (!line.empty() && line[0] == ' ') line.erase(0, k == std::string::npos ? line.size() : k);
        lines.emplace_back(std::move(line), o);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (m_Sources) {
        for (const auto& [line, o] : lines)
            m_Sources->push_back({m_Files[static_cast<size_t>(o.file)], o.line});
        return m_Result;
    }

    ProgramStore program;
    program.Assign(source.text);
    m_Dialect = m_Switch == DialectSwitch::On || (m_Switch == DialectSwitch::Auto && DetectDialect(program));

    std::vector<std::pair<std::string, Origin>> labels;  // first occurrences not run into, in order
    bool runsOn = true;  // the run reaches the next line from the one before (the start, too)
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& [line, o] = lines[i];
        std::string statement = text::Trim(std::string_view(line).substr(0, CommentAt(line, m_Dialect)));
        if (statement.empty() || DialectComment(line, m_Dialect)) continue;
        if (StatementButton(statement, m_Dialect)) {
            runsOn = true;
            continue;
        }
        if (line[0] != ':') {
            size_t amp = statement.rfind('&');
            std::string last =
                text::LTrim(amp == std::string::npos ? std::string_view(statement)
                                                     : std::string_view(statement).substr(amp + 1));
            // An if may not take the branch that ends the run.
            runsOn = text::StartsWithNoCase(statement, "if ") ||
                     !(StartsWord(last, "end ") || StartsWord(last, "goto ") || StartsWord(last, "quit "));
            continue;
        }
        std::string key = text::ToLower(text::RTrim(line));
        auto [it, fresh] = m_Labels.emplace(key, static_cast<int>(i));
        if (fresh) {
            if (!runsOn) labels.emplace_back(text::RTrim(line), o);
            runsOn = true;
        } else {
            const Origin first = lines[static_cast<size_t>(it->second)].second;
            Warning(o, "label \"" + text::Cp1251ToUtf8(text::RTrim(line)) + "\" is defined again (first at " +
                           m_Files[static_cast<size_t>(first.file)] + ":" + std::to_string(first.line) +
                           "); this one is never reached");
        }
    }

    bool html = false;
    for (const auto& [line, o] : lines) {
        if (html && text::ContainsNoCase(line, "</html>")) {
            html = false;
            continue;
        }
        if (html) continue;
        if (text::ContainsNoCase(line, "<html>")) {
            html = true;
            continue;
        }
        if (line.empty() || line[0] == ':' || DialectComment(line, m_Dialect)) continue;
        OrdinaryLine(line, o);
    }

    for (const auto& [label, o] : labels) {
        const std::string key = text::ToLower(label);
        if (m_Named.count(key)) continue;
        // Reached by the player's events rather than by statements.
        if (key == ":common" || key.rfind(":common_", 0) == 0 || key.rfind(":use_", 0) == 0 ||
            key.rfind(":inv_", 0) == 0 || key == ":form_image_click" || key == ":image_click")
            continue;
        if (std::any_of(m_Prefixes.begin(), m_Prefixes.end(),
                        [&key](const std::string& p) { return key.rfind(p, 0) == 0; }))
            continue;
        Warning(o, "label \"" + text::Cp1251ToUtf8(label) +
                       "\" is named by no btn, xbtn, goto, proc or save and no line runs into it");
    }

    std::stable_sort(m_Result.reports.begin(), m_Result.reports.end(), [this](const auto& a, const auto& b) {
        auto fileIndex = [this](const std::string& f) {
            return std::find(m_Files.begin(), m_Files.end(), f) - m_Files.begin();
        };
        auto fa = fileIndex(a.file), fb = fileIndex(b.file);
        return fa != fb ? fa < fb : a.line < b.line;
    });
    return m_Result;
}

}  // namespace

int CheckResult::ExitCode() const {
    if (!readable) return 1;
    bool warnings = false;
    for (const auto& r : reports) {
        if (r.severity == CheckReport::Severity::Error) return 1;
        warnings = true;
    }
    return warnings ? 2 : 0;
}

CheckResult CheckQuest(const std::string& questPath, DialectSwitch dialect) {
    return Checker(questPath, dialect).Run();
}

std::vector<SourceLine> ProgramLineSources(const std::string& questPath) {
    std::vector<SourceLine> sources;
    Checker checker(questPath, DialectSwitch::Auto);
    checker.CollectSources(&sources);
    if (!checker.Run().readable) sources.clear();
    return sources;
}

std::string FormatReport(const CheckReport& report) {
    return report.file + ":" + std::to_string(report.line) + ": " +
           (report.severity == CheckReport::Severity::Error ? "error: " : "warning: ") + report.message;
}

}  // namespace tarvik::tools
