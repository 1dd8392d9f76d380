// Loading a quest file into the program store.
#include <algorithm>
#include <optional>
#include <string_view>

#include "engine/engine.h"
#include "engine/paths.h"
#include "tools/cipher.h"
#include "tools/huffman.h"

namespace tarvik {

namespace {

const std::string kCrLf = "\r\n";

// Quests written on Linux end their lines with LF alone; give them the CR LF the language splits lines at.
void NormaliseLineEnds(std::string& s) {
    size_t lone = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) ++lone;
    if (lone == 0) return;
    std::string out;
    out.reserve(s.size() + lone);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out += '\r';
        out += s[i];
    }
    s.swap(out);
}

// Deletes "/*" ... "*/" comments exactly as repeated searches from the start of the text would, in one pass:
// after a deletion the only new "/*" can be the one formed by the last kept character and the first one after
// the comment. The result is framed by CR LF on both sides, without a framed copy of the input.
std::string RemoveComments(const std::string& in) {
    std::string out;
    out.reserve(in.size() + 2 * kCrLf.size());
    out += kCrLf;
    size_t i = 0;
    for (;;) {
        bool straddle = !out.empty() && out.back() == '/' && i < in.size() && in[i] == '*';
        size_t open = straddle ? i : in.find("/*", i);
        if (open == std::string::npos) break;
        size_t close = in.find("*/", straddle ? i + 1 : open + 2);
        if (close == std::string::npos) break;
        if (straddle)
            out.pop_back();
        else
            out.append(in, i, open - i);
        i = close + 2;
    }
    out.append(in, i, std::string::npos);
    out += kCrLf;
    return out;
}

}  // namespace

void Engine::DetectDosText() {
    // m_LabelList holds the source text while a quest loads.
    std::string& src = m_LabelList;
    size_t n = std::min<size_t>(src.size(), 1000);
    size_t dos = 0, ansi = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(src[i]);
        if (c == 174) ++dos;
        if (c == 238 || c == 206) ++ansi;  // "о" in either case
    }
    if (dos > ansi) src = text::Cp866ToCp1251(src);
}

namespace {

struct IncludeState {
    int expansions = 0;
    size_t total = 0;
    uint32_t game = 0;       // the game this load started
    bool abandoned = false;  // a new game or quest replaced this load during a network include
};

bool IsNetAddress(const std::string& name) {
    return text::StartsWithNoCase(name, "http://") || text::StartsWithNoCase(name, "https://");
}

}  // namespace

// Expands "include" directives left to right. Every piece of text is followed by CR LF in the assembled text,
// so a directive never spans two pieces and an included text can be expanded where it lands. Past the depth,
// count or size limits a directive contributes nothing, as if its file did not exist.
static void ExpandIncludes(Engine& engine, const std::string& src, std::string& out, int depth,
                           IncludeState& state) {
    size_t pos = 0;
    for (;;) {
        size_t p = text::FindNoCase(src, "include", pos);
        if (p == std::string::npos) break;
        out.append(src, pos, p - pos);
        size_t nameStart = p + 7;
        size_t lineEnd = src.find(kCrLf, nameStart);
        if (lineEnd == std::string::npos) lineEnd = src.size();
        std::string name = text::Trim(std::string_view(src).substr(nameStart, lineEnd - nameStart));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);

        out += kCrLf;
        bool allowed = depth < Limits::kMaxIncludeDepth && state.expansions < Limits::kMaxIncludes &&
                       state.total < Limits::kMaxQuestText;
        if (allowed && IsNetAddress(name)) {
            std::string fetched = engine.NetInclude(name);
            // The player may have started another game while the text arrived: that load owns the store now.
            if (engine.Stopping() || engine.gameNumber() != state.game) {
                state.abandoned = true;
                return;
            }
            if (!fetched.empty()) {
                ++state.expansions;
                state.total += fetched.size();
                NormaliseLineEnds(fetched);
                ExpandIncludes(engine, fetched, out, depth + 1, state);
                if (state.abandoned) return;
            }
        } else if (allowed && engine.FileExists(name)) {
            std::string included;
            if (ReadWholeFile(engine.NativePath(name), included, Limits::kMaxQuestFile)) {
                ++state.expansions;
                state.total += included.size();
                included = text::QuestTextToCp1251(std::move(included));
                NormaliseLineEnds(included);
                ExpandIncludes(engine, included, out, depth + 1, state);
                if (state.abandoned) return;
            } else {
                engine.Diagnose("include", "cannot read the included file \"" + name + "\"");
            }
        } else if (allowed) {
            engine.Diagnose("include", "no included file \"" + name + "\"");
        }
        out += kCrLf;
        pos = lineEnd;
    }
    out.append(src, pos, std::string::npos);
}

void Engine::LoadQuest(std::string& questFile) {
    if (!LoadProgram(questFile)) return;
    Changed(kScreenAll);
    int level = 1;
    std::string none;
    RunLabel(level, none);
}

bool Engine::LoadProgram(std::string& questFile) {
    m_LabelIndex.clear();
    m_LabelTails.clear();
    ResetGame();

    // The path in the file system's spelling: the one OpenQuest was given, or this one resolved.
    std::string native = (!m_OpenedNative.empty() && text::Utf8ToCp1251(m_OpenedNative) == questFile)
                             ? m_OpenedNative
                             : NativePath(questFile);
    m_OpenedNative.clear();
    native = ResolvePath(native);

    m_QuestPath = questFile;
    size_t sep = m_QuestPath.find_last_of("\\/");
    m_QuestFolder = sep == std::string::npos ? std::string() : m_QuestPath.substr(0, sep + 1);
    m_QuestPathNative = native;
    size_t nsep = native.find_last_of('/');
    m_QuestFolderNative = nsep == std::string::npos ? std::string() : native.substr(0, nsep + 1);

    std::string& src = m_LabelList;
    src.clear();
    size_t dot = m_QuestPath.rfind('.');
    std::string_view extension =
        dot == std::string::npos ? std::string_view() : std::string_view(m_QuestPath).substr(dot);
    // A compressed quest decodes to at most eight times its size.
    const bool compressed = text::EqualsNoCase(extension, ".qs3");
    if (FileLargerThan(native, compressed ? Limits::kMaxQuestFile / 8 : Limits::kMaxQuestFile)) {
        // Refused before it is read: no quest is that large, and reading it could take all memory.
        static const std::string tooLarge = text::Utf8ToCp1251("Файл квеста слишком велик: ");
        static const std::string title = text::Utf8ToCp1251("Тарвик:");
        m_Host.MessageBox(tooLarge + text::Utf8ToCp1251(native), title, 16);
    } else if (compressed) {
        // Any failure, unreadable file or bad data, loads an empty program after one message (default title).
        if (std::optional<std::string> decoded = tools::ReadCompressedQuest(native)) {
            src = std::move(*decoded);
        } else {
            static const std::string failed = text::Utf8ToCp1251("Во время выполнения произошла ошибка!");
            m_Host.MessageBox(failed, std::string(), 0);
        }
    } else {
        if (!ReadWholeFile(native, src)) src.clear();
        if (text::EqualsNoCase(extension, ".qs1")) src = tools::QuestCipher(src);
    }
    // Every file, the quest and each include, is decided on its own: an editor of today writes UTF-8.
    src = text::QuestTextToCp1251(std::move(src));
    NormaliseLineEnds(src);

    DetectDosText();
    src = RemoveComments(src);

    text::ReplaceAllNoCase(src, "\r\n_", "");
    text::ReplaceAllNoCase(src, "end:", "end\r\n:");
    text::ReplaceAllNoCase(src, "quest_path", m_QuestFolder);

    {
        std::string expanded;
        expanded.reserve(src.size());
        IncludeState state;
        state.total = src.size();
        state.game = m_Game;
        ExpandIncludes(*this, src, expanded, 0, state);
        if (state.abandoned) return false;
        src.swap(expanded);
    }

    questFile.clear();
    m_QuestFile.clear();

    m_ProgramLines.clear();
    m_LineFlags.clear();
    {
        // Reserved exactly: a doubling list would hold two copies of its line records at once.
        size_t lines = 1;
        for (size_t p = src.find(kCrLf); p != std::string::npos; p = src.find(kCrLf, p + 2)) ++lines;
        m_ProgramLines.shrink_to_fit();
        m_ProgramLines.reserve(lines);
    }
    size_t start = 0;
    for (;;) {
        size_t end = src.find(kCrLf, start);
        if (end == std::string::npos) {
            m_ProgramLines.emplace_back(src, start, std::string::npos);
            break;
        }
        m_ProgramLines.emplace_back(src, start, end - start);
        start = end + 2;
    }
    src.clear();
    src.shrink_to_fit();

    for (size_t i = 0; i < m_ProgramLines.size(); ++i) {
        std::string& line = m_ProgramLines[i];
        if (!line.empty() && line[0] == ' ') {
            size_t k = line.find_first_not_of(' ');
            line.erase(0, k == std::string::npos ? line.size() : k);
        }
        if (!line.empty() && line[0] == ':') {
            std::string key = text::RTrim(line);
            m_LabelList += key;
            m_LabelList += kCrLf;
            for (size_t c = key.find(':', 1); c != std::string::npos; c = key.find(':', c + 1))
                m_LabelTails.emplace(key, c);
            m_LabelIndex.try_emplace(std::move(key), static_cast<int>(i));
        }
    }

    m_LineFlags.resize(m_ProgramLines.size());
    for (size_t i = 0; i < m_ProgramLines.size(); ++i) m_LineFlags[i] = LineFlagsOf(m_ProgramLines[i]);
    return true;
}

void Engine::OpenQuest(const std::string& nativePath) {
    m_OpenedNative = nativePath;
    m_QuestFile = text::Utf8ToCp1251(nativePath);
    std::string file = m_QuestFile;
    ForgetPast();
    LoadQuest(file);
    NotePage();
}

bool Engine::ContinueQuest(const std::string& nativePath, const std::string& kept) {
    if (!IsSavedGameText(kept)) {
        OpenQuest(nativePath);
        return false;
    }
    m_OpenedNative = nativePath;
    m_QuestFile = text::Utf8ToCp1251(nativePath);
    std::string file = m_QuestFile;
    ForgetPast();
    // The opening is not run: it would greet, ask or wait as for a new game before the kept one is back.
    if (!LoadProgram(file) || m_Stopping) return false;
    const bool restored = RestoreQuietly(kept);
    NotePage();
    return restored;
}

void Engine::NewGame() {
    if (m_QuestPath.empty()) return;
    m_OpenedNative = m_QuestPathNative;
    m_QuestFile = m_QuestPath;
    std::string file = m_QuestFile;
    ForgetPast();
    LoadQuest(file);
    NotePage();
}

}  // namespace tarvik
