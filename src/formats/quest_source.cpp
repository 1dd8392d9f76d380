// The quest source reader. The language splits lines at CR LF and quests written on Linux end them with LF
// alone; every CR LF is held as a lone "\n" here, which is the same text one byte shorter per line and lets
// the whole reading shrink the text where it lies.
#include "formats/quest_source.h"

#include <algorithm>
#include <utility>

#include "formats/cipher.h"
#include "formats/huffman.h"
#include "text/text.h"

namespace tarvik::formats {

namespace {

// A text and, when traced, where each of its bytes was written.
struct Traced {
    std::string s;
    std::vector<SourceOrigin> at;
    bool trace = false;

    SourceOrigin OriginAt(size_t i) const {
        if (at.empty()) return {};
        return at[std::min(i, at.size() - 1)];
    }
    void Append(const Traced& t, size_t from, size_t count) {
        count = std::min(count, t.s.size() - std::min(from, t.s.size()));
        s.append(t.s, from, count);
        if (trace)
            at.insert(at.end(), t.at.begin() + static_cast<long>(from),
                      t.at.begin() + static_cast<long>(from + count));
    }
    void Append(std::string_view piece, SourceOrigin o) {
        s.append(piece);
        if (trace) at.insert(at.end(), piece.size(), o);
    }
    void Resize(size_t n) {
        s.resize(n);
        if (trace) at.resize(n);
    }
    // Moves n bytes towards the start: to <= from.
    void Move(size_t to, size_t from, size_t n) {
        if (to == from || n == 0) return;
        std::copy(s.begin() + static_cast<long>(from), s.begin() + static_cast<long>(from + n),
                  s.begin() + static_cast<long>(to));
        if (trace)
            std::copy(at.begin() + static_cast<long>(from), at.begin() + static_cast<long>(from + n),
                      at.begin() + static_cast<long>(to));
    }
};

// Every line end, CR LF or a lone LF, becomes "\n"; origins count the lines of file `file`.
Traced Canonical(std::string text, int file, bool trace) {
    Traced t;
    t.trace = trace;
    size_t w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[w++] = text[i];
    }
    text.resize(w);
    t.s = std::move(text);
    if (trace) {
        t.at.resize(t.s.size());
        SourceOrigin o{file, 1};
        for (size_t i = 0; i < t.s.size(); ++i) {
            t.at[i] = o;
            if (t.s[i] == '\n') ++o.line;
        }
    }
    return t;
}

// A text whose first thousand bytes (a line end counted as its CR LF) hold more of DOS's "о" than of the
// Windows one is DOS text.
void ConvertDosText(std::string& s) {
    size_t dos = 0, ansi = 0, counted = 0;
    for (size_t i = 0; i < s.size() && counted < 1000; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        counted += c == '\n' ? 2 : 1;
        if (c == 174) ++dos;
        if (c == 238 || c == 206) ++ansi;  // "о" in either case
    }
    if (dos > ansi) text::Cp866ToCp1251InPlace(s);
}

// Deletes "/*" ... "*/" comments exactly as repeated searches from the start of the text would, in one pass:
// after a deletion the only new "/*" can be the one formed by the last kept character and the first one after
// the comment.
void RemoveComments(Traced& t) {
    const std::string& in = t.s;
    size_t w = 0, i = 0;
    for (;;) {
        const bool straddle = w > 0 && in[w - 1] == '/' && i < in.size() && in[i] == '*';
        const size_t open = straddle ? i : in.find("/*", i);
        if (open == std::string::npos) break;
        const size_t close = in.find("*/", straddle ? i + 1 : open + 2);
        if (close == std::string::npos) break;
        if (straddle) {
            --w;
        } else {
            t.Move(w, i, open - i);
            w += open - i;
        }
        i = close + 2;
    }
    t.Move(w, i, in.size() - i);
    t.Resize(w + in.size() - i);
}

// Replaces every occurrence, left to right, letter case ignored; a replacement takes the origin of what it
// replaces. One that does not grow the text works where it lies.
void ReplaceAll(Traced& t, std::string_view what, std::string_view with) {
    size_t p = text::FindNoCase(t.s, what);
    if (p == std::string::npos) return;
    if (with.size() <= what.size()) {
        size_t w = 0, done = 0;
        while (p != std::string::npos) {
            const SourceOrigin o = t.OriginAt(p);
            t.Move(w, done, p - done);
            w += p - done;
            t.s.replace(w, with.size(), with);
            if (t.trace) std::fill_n(t.at.begin() + static_cast<long>(w), with.size(), o);
            w += with.size();
            done = p + what.size();
            p = text::FindNoCase(t.s, what, done);
        }
        t.Move(w, done, t.s.size() - done);
        t.Resize(w + t.s.size() - done);
        return;
    }
    Traced out;
    out.trace = t.trace;
    out.s.reserve(t.s.size() + (with.size() - what.size()) * text::CountNoCase(t.s, what));
    size_t done = 0;
    while (p != std::string::npos) {
        out.Append(t, done, p - done);
        out.Append(with, t.OriginAt(p));
        done = p + what.size();
        p = text::FindNoCase(t.s, what, done);
    }
    out.Append(t, done, std::string::npos);
    t = std::move(out);
}

class Reader {
public:
    Reader(const QuestSourceOptions& options, const IncludeResolver& resolve, QuestSource& result)
        : m_Options(options), m_Resolve(resolve), m_Result(result) {}

    // Expands "include" directives left to right. Every piece of text is followed by a line end in the
    // assembled text, so a directive never spans two pieces and an included text can be expanded where it
    // lands.
    void Expand(const Traced& src, Traced& out, int depth) {
        size_t pos = 0;
        for (;;) {
            const size_t p = text::FindNoCase(src.s, "include", pos);
            if (p == std::string::npos) break;
            out.Append(src, pos, p - pos);
            const size_t nameStart = p + 7;
            size_t lineEnd = src.s.find('\n', nameStart);
            if (lineEnd == std::string::npos) lineEnd = src.s.size();
            IncludeRequest request;
            request.name = text::Trim(std::string_view(src.s).substr(nameStart, lineEnd - nameStart));
            if (request.name.size() >= 2 && request.name.front() == '"' && request.name.back() == '"')
                request.name = request.name.substr(1, request.name.size() - 2);
            request.at = src.OriginAt(p);
            request.allowed = depth < m_Options.limits.depth && m_Expansions < m_Options.limits.count &&
                              m_Total < m_Options.limits.text;

            out.Append("\n", request.at);
            IncludeAnswer answer = m_Resolve(request);
            if (answer.kind == IncludeAnswer::Kind::Abandon) {
                m_Result.abandoned = true;
                return;
            }
            if (request.allowed && answer.kind == IncludeAnswer::Kind::Text) {
                ++m_Expansions;
                m_Total += answer.text.size();
                m_Result.files.push_back(std::move(answer.file));
                const int file = static_cast<int>(m_Result.files.size() - 1);
                std::string included = std::move(answer.text);
                if (answer.mayBeUtf8) included = text::QuestTextToCp1251(std::move(included));
                Expand(Canonical(std::move(included), file, out.trace), out, depth + 1);
                if (m_Result.abandoned) return;
            }
            out.Append("\n", request.at);
            pos = lineEnd;
        }
        out.Append(src, pos, std::string::npos);
    }

    size_t m_Total = 0;

private:
    const QuestSourceOptions& m_Options;
    const IncludeResolver& m_Resolve;
    QuestSource& m_Result;
    int m_Expansions = 0;
};

}  // namespace

bool IsCipheredQuest(std::string_view fileName) {
    return fileName.size() >= 4 && text::EqualsNoCase(fileName.substr(fileName.size() - 4), ".qs1");
}

bool IsCompressedQuest(std::string_view fileName) {
    return fileName.size() >= 4 && text::EqualsNoCase(fileName.substr(fileName.size() - 4), ".qs3");
}

std::optional<std::string> QuestFileText(std::string_view fileName, std::string bytes) {
    if (IsCompressedQuest(fileName)) return DecodeCompressedQuest(std::move(bytes));
    if (IsCipheredQuest(fileName)) QuestCipherInPlace(bytes);
    return bytes;
}

QuestSource ReadQuestSource(std::string bytes, const QuestSourceOptions& options,
                            const IncludeResolver& resolve) {
    QuestSource result;
    result.files.push_back(options.file);
    // Every file, the quest and each include, is decided on its own: an editor of today writes UTF-8.
    Traced src = Canonical(text::QuestTextToCp1251(std::move(bytes)), 0, options.trace);
    ConvertDosText(src.s);
    RemoveComments(src);
    // Framed by line ends on both sides, moved within the capacity the text already has where it can.
    src.s.insert(0, 1, '\n');
    src.s += '\n';
    if (src.trace) {
        src.at.insert(src.at.begin(), SourceOrigin{0, 1});
        src.at.push_back(src.OriginAt(src.at.size() - 1));
    }
    ReplaceAll(src, "\n_", "");
    ReplaceAll(src, "end:", "end\n:");
    ReplaceAll(src, "quest_path", options.questFolder);

    Reader reader(options, resolve, result);
    // Counted as the language holds the text, each line end as CR LF.
    reader.m_Total = src.s.size() + static_cast<size_t>(std::count(src.s.begin(), src.s.end(), '\n'));
    if (text::FindNoCase(src.s, "include") == std::string::npos) {
        result.text = std::move(src.s);
        result.origins = std::move(src.at);
        return result;
    }
    Traced expanded;
    expanded.trace = src.trace;
    expanded.s.reserve(src.s.size());
    reader.Expand(src, expanded, 0);
    result.text = std::move(expanded.s);
    result.origins = std::move(expanded.at);
    return result;
}

}  // namespace tarvik::formats
