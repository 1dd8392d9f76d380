// The run loop: fetches and prepares lines and hands statements to the executor.
#include "engine/engine.h"

namespace tarvik {

namespace {

struct NestingGuard {
    int& depth;
    explicit NestingGuard(int& d) : depth(d) { ++depth; }
    ~NestingGuard() { --depth; }
};

// A nested run (a call, a run started inside a wait) hands the line being run back to the run around it.
struct LineGuard {
    int32_t& line;
    int32_t was;
    LineGuard(int32_t& l, int32_t now) : line(l), was(l) { line = now; }
    ~LineGuard() { line = was; }
};

void LTrimInPlace(std::string& s) {
    size_t k = s.find_first_not_of(' ');
    s.erase(0, k == std::string::npos ? s.size() : k);
}

// The first letter turns most statements away (a Latin letter's two cases differ in one bit).
bool BeginsWithIf(std::string_view s) {
    return !s.empty() && (s[0] | 0x20) == 'i' && text::StartsWithNoCase(s, "IF ");
}

// The dialect prints ";" inside text (a style's "color:red;", prose): on a printing line only a ";" after a
// blank or a tab starts a comment.
size_t DialectCommentAt(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return std::string_view::npos;
    const size_t end = line.find_first_of(" \t", start);
    const std::string_view word = line.substr(start, end == std::string_view::npos ? end : end - start);
    const bool printing = text::EqualsNoCase(word, "p") || text::EqualsNoCase(word, "pln") ||
                          text::EqualsNoCase(word, "print") || text::EqualsNoCase(word, "println");
    if (!printing) return line.find(';');
    for (size_t semi = line.find(';'); semi != std::string_view::npos; semi = line.find(';', semi + 1))
        if (semi > 0 && (line[semi - 1] == ' ' || line[semi - 1] == '\t')) return semi;
    return std::string_view::npos;
}

bool BeginsWithXbtn(std::string_view s) {
    return !s.empty() && (s[0] | 0x20) == 'x' && text::StartsWithNoCase(s, "xbtn");
}

// The escapes of a prepared line, in their fixed order; "&&" becomes a marker that the executor turns back
// into a literal "&" after its own chain test.
void ApplyEscapes(std::string& cur) {
    if (cur.find('#') != std::string::npos) {
        text::ReplaceAllNoCase(cur, "#%", "#");
        text::ReplaceAllNoCase(cur, "##$", " ");
        text::ReplaceAllNoCase(cur, "#$", " ");
        text::ReplaceAllNoCase(cur, "#/$", "\r\n");
    }
    if (cur.find("&&") != std::string::npos) text::ReplaceAllNoCase(cur, "&&", "+alsotrv+");
}

}  // namespace

bool Engine::FetchLine(int level, std::string& cur) {
    m_NextLine.resize(level + 1);
    int32_t& next = m_NextLine[level];
    const int32_t count = static_cast<int32_t>(m_Program.size());
    do {
        if (next < 0 || next >= count) return false;
        cur = m_Program[static_cast<size_t>(next)];
        m_CurrentLine = next;
        if (!cur.empty() && cur[0] == ':') m_Host.LabelReached(next);
        m_FetchedFlags = m_Program.flags(static_cast<size_t>(next));
        ++next;
    } while (cur.empty());
    return true;
}

void Engine::RunLabel(int& levelRef, std::string& line) {
    if (m_Stopping || m_RunNesting >= Limits::kMaxRunNesting) return;
    NestingGuard guard(m_RunNesting);
    const int L = levelRef;
    if (L < 0) return;
    const bool single = !line.empty();
    const uint32_t game = m_Game;
    LineGuard lineGuard(m_CurrentLine, single ? 0 : m_CurrentLine);
    std::string cur;  // one buffer for every line of this run

    for (;;) {
        // A quest that loops without assigning anything would otherwise never let the front in: give it the
        // same chance an assignment does, now and then.
        if ((++m_Cycles & 63) == 0) m_Host.ProcessEvents();
        if (m_Stopping) return;
        m_QuitWait = m_PauseDone = m_AnykeyDone = false;
        m_ChainState.resize(L + 1);
        m_PendingChain.resize(L + 1);
        m_PendingFrom.resize(L + 1);

        try {
            bool direct = false;  // an xbtn line skips the chain and if steps
            // The line as fetched, but for blanks, escapes, a comment and its ifs, holds no "#" and no "[".
            // Decided at once: a run the front starts while an if is decided fetches lines of its own.
            bool plain = false;
            if (m_ChainState[L] == 0) {
                m_FetchedFlags = ProgramStore::kLineAll;
                if (single)
                    cur = line;
                else if (!FetchLine(L, cur))
                    return;

                for (;;) {
                    if (m_HtmlMode && text::ContainsNoCase(cur, "</html>")) {
                        m_HtmlMode = false;
                        m_HtmlBuffer += Subst(cur);
                        cur.clear();
                    }
                    if (m_HtmlMode) {
                        m_HtmlBuffer += Subst(cur);
                        cur.clear();
                    }
                    if ((m_FetchedFlags & ProgramStore::kLineHtml) && text::ContainsNoCase(cur, "<html>")) {
                        m_HtmlMode = true;
                        m_HtmlBuffer = Subst(cur);
                        cur.clear();
                    }
                    if (m_Dialect) {
                        const size_t first = cur.find_first_not_of(" \t");
                        if (first != std::string::npos && cur.compare(first, 2, "//") == 0) cur.clear();
                    }
                    if (m_FetchedFlags & ProgramStore::kLineSemicolon) {
                        const size_t semi = m_Dialect ? DialectCommentAt(cur) : cur.find(';');
                        if (semi != std::string::npos) cur.erase(semi);
                    }
                    if (!cur.empty()) break;
                    // A single line given by the caller has nothing more to fetch: its cycle is over.
                    if (single || !FetchLine(L, cur)) return;
                }

                LTrimInPlace(cur);
                const bool amp = (m_FetchedFlags & ProgramStore::kLineAmp) != 0;
                if (amp && cur.find(" &") != std::string::npos) text::ReplaceRepeatedly(cur, " &", "&");
                if (amp || (m_FetchedFlags & ProgramStore::kLineHash)) ApplyEscapes(cur);

                if (BeginsWithXbtn(cur)) {
                    direct = true;
                } else if (amp && cur.find('&') != std::string::npos) {
                    // The pending chain is read only while a chain is under way.
                    m_PendingChain[L] = cur;
                    m_PendingFrom[L] = 0;
                    m_ChainState[L] = 1;
                } else {
                    plain = !(m_FetchedFlags & (ProgramStore::kLineHash | ProgramStore::kLineBracket));
                }
            }

            if (!direct && m_ChainState[L] != 0) {
                // The rest of the chain is read from an offset, not cut from the front after each piece, so a
                // line of many pieces costs time in step with its length.
                std::string& pending = m_PendingChain[L];
                size_t& from = m_PendingFrom[L];
                try {
                    while (BeginsWithIf(std::string_view(pending).substr(from))) {
                        pending = DoIf(pending.substr(from + 2));
                        from = 0;
                    }
                } catch (...) {
                    // A chain whose if cannot be decided is dropped whole, or it would be retried forever.
                    pending.clear();
                    from = 0;
                    m_ChainState[L] = 0;
                    throw;
                }
                size_t amp = IsStatementButton(std::string_view(pending).substr(from))
                                 ? std::string::npos
                                 : pending.find('&', from);
                if (amp == std::string::npos) {
                    cur.assign(pending, from);
                    pending.clear();
                    from = 0;
                } else {
                    cur.assign(pending, from, amp - from);
                    from = amp + 1;
                }
                if (pending.find('&', from) == std::string::npos)
                    m_ChainState[L] = m_ChainState[L] == -1 ? 0 : -1;
            }

            if (!direct) {
                LTrimInPlace(cur);
                // What an if leaves of a line without "#" or "[" holds neither: it is a piece of that line,
                // substituted to no change.
                while (BeginsWithIf(cur)) {
                    cur = DoIf(cur.substr(2));
                    LTrimInPlace(cur);
                }
            }

            // Without a "#" or a "[" there is nothing to substitute.
            if (!plain) Subst(cur);
        } catch (const std::exception& error) {
            // A line whose preparation fails (an unmatched bracket in its condition, a bad character code) is
            // skipped quietly; one abandoned because the game was replaced meanwhile ends the run.
            if (m_Game != game) return;
            Diagnose("RunLabel", error.what());
            if (single) return;
            continue;
        }

        int level = L;
        Obr(cur, true, level);
        // A new game or another quest was started from inside this statement (while it let the front in): the
        // run belongs to a game that no longer exists.
        if (m_Game != game) return;

        if (!m_Running || single) return;
        // Only these four statements end a run; a Latin letter's two cases differ in one bit.
        const char first = cur.empty() ? '\0' : static_cast<char>(cur[0] | 0x20);
        if (first != 'e' && first != 'p' && first != 'a' && first != 'q') continue;
        if (text::StartsWithNoCase(cur, "End ")) return;
        if (text::StartsWithNoCase(cur, "pause ") && !m_PauseDone) return;
        if (text::StartsWithNoCase(cur, "anykey ") && !m_AnykeyDone) return;
        if (text::StartsWithNoCase(cur, "quit ")) return;
    }
}

std::string Engine::DoIf(std::string t) {
    Subst(t);
    // The first place of each word, 1-based, 0 when absent: one walk finds all four. A word is tried only
    // where its first two characters stand (a Latin letter's two cases differ in one bit).
    size_t E = 0, H = 0, A = 0, B = 0;
    const std::string_view tv(t);
    auto at = [&tv](size_t i, std::string_view word) {
        return tv.size() - i >= word.size() && text::EqualsNoCase(tv.substr(i, word.size()), word);
    };
    for (size_t i = 0; i + 1 < tv.size(); ++i) {
        const char c = tv[i];
        const char next = static_cast<char>(tv[i + 1] | 0x20);
        if (c == ' ') {
            if (H == 0 && next == 't' && at(i, " THEN ")) H = i + 1;
            if (B == 0 && next == 'i' && at(i, " IF ")) B = i + 1;
        } else if (c == '&') {
            if (A == 0 && next == 'i' && at(i, "&IF ")) A = i + 1;
        } else if ((c | 0x20) == 'e') {
            if (E == 0 && next == 'l' && at(i, "ELSE ")) E = i + 1;
        }
    }
    size_t P = static_cast<size_t>(static_cast<uint32_t>(A) | static_cast<uint32_t>(B));
    bool nested = A != 0 || B != 0;

    std::string cond = t.substr(0, std::min(H, t.size()));
    // The THEN part starts just after " THEN " (with no THEN, from the sixth character, as it always has).
    size_t thenStart = H + 5;
    std::string thenPart = thenStart < t.size() ? t.substr(thenStart) : std::string();

    if (E > 0 && (E < P || !nested)) {
        if (Vern(cond)) {
            size_t e = text::FindNoCase(thenPart, "ELSE ");
            if (e == std::string::npos) throw QuestError("if: ELSE before THEN");
            return thenPart.substr(0, e);
        }
        return E + 4 < t.size() ? t.substr(E + 4) : std::string();
    }
    if (Vern(cond)) return thenPart;
    return {};
}

}  // namespace tarvik
