// Loading a quest file into the program store.
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "engine/engine.h"
#include "files/paths.h"
#include "formats/quest_source.h"

namespace tarvik {

// Engine paths are code page 1251; the quest's own folder is mapped back to the file system's spelling so a
// folder whose name code page 1251 cannot hold still works.
std::string Engine::NativePath(const std::string& path) const {
    std::string native;
    if (!m_QuestFolder.empty() && !m_QuestFolderNative.empty() &&
        path.compare(0, m_QuestFolder.size(), m_QuestFolder) == 0)
        native =
            m_QuestFolderNative + text::Cp1251ToUtf8(std::string_view(path).substr(m_QuestFolder.size()));
    else
        native = text::Cp1251ToUtf8(path);
    return ResolvePath(native);
}

bool Engine::FileExists(const std::string& path) const {
    if (text::TrimView(path).empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(NativePath(path), ec);
}

void Engine::LoadQuest(std::string& questFile) {
    if (!LoadProgram(questFile)) return;
    Changed(kScreenAll);
    int level = 1;
    std::string none;
    RunLabel(level, none);
}

bool Engine::LoadProgram(std::string& questFile) {
    m_Program.Clear();
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

    std::string src;
    // A compressed quest decodes to at most eight times its size.
    const bool compressed = formats::IsCompressedQuest(m_QuestPath);
    if (FileLargerThan(native, compressed ? Limits::kMaxQuestFile / 8 : Limits::kMaxQuestFile)) {
        // Refused before it is read: no quest is that large, and reading it could take all memory.
        static const std::string tooLarge = text::Utf8ToCp1251("Файл квеста слишком велик: ");
        static const std::string title = text::Utf8ToCp1251("Тарвик:");
        m_Host.MessageBox(tooLarge + text::Utf8ToCp1251(native), title, 16);
    } else {
        // Room for the line ends the reader frames the text with.
        const bool read = ReadWholeFile(native, src, Limits::kMaxQuestFile, 2);
        if (!read) src.clear();
        std::optional<std::string> decoded;
        if (read || !compressed) decoded = formats::QuestFileText(m_QuestPath, std::move(src));
        src.clear();
        if (decoded) {
            src = std::move(*decoded);
        } else {
            // Any failure, unreadable file or bad data, loads an empty program after one message (default
            // title).
            static const std::string failed = text::Utf8ToCp1251("Во время выполнения произошла ошибка!");
            m_Host.MessageBox(failed, std::string(), 0);
        }
    }

    formats::QuestSourceOptions options;
    options.questFolder = m_QuestFolder;
    options.limits = {Limits::kMaxIncludeDepth, Limits::kMaxIncludes, Limits::kMaxQuestText};
    const uint32_t game = m_Game;
    formats::QuestSource source =
        formats::ReadQuestSource(std::move(src), options, [&](const formats::IncludeRequest& include) {
            formats::IncludeAnswer answer;
            if (!include.allowed) return answer;
            if (text::StartsWithNoCase(include.name, "http://") ||
                text::StartsWithNoCase(include.name, "https://")) {
                answer.text = NetInclude(include.name);
                // The player may have started another game while the text arrived: that load owns the
                // store now.
                if (m_Stopping || m_Game != game)
                    answer.kind = formats::IncludeAnswer::Kind::Abandon;
                else if (!answer.text.empty())
                    answer.kind = formats::IncludeAnswer::Kind::Text;
                answer.mayBeUtf8 = false;
            } else if (FileExists(include.name)) {
                if (ReadWholeFile(NativePath(include.name), answer.text, Limits::kMaxQuestFile))
                    answer.kind = formats::IncludeAnswer::Kind::Text;
                else
                    Diagnose("include", "cannot read the included file \"" + include.name + "\"");
            } else {
                Diagnose("include", "no included file \"" + include.name + "\"");
            }
            return answer;
        });
    if (source.abandoned) return false;

    questFile.clear();
    m_QuestFile.clear();
    m_Program.Assign(std::move(source.text));
    DecideDialect();
    return true;
}

void Engine::DecideDialect() {
    m_Dialect = m_DialectSwitch == DialectSwitch::On ||
                (m_DialectSwitch == DialectSwitch::Auto && DetectDialect(m_Program));
}

void Engine::SetDialectSwitch(DialectSwitch choice) {
    m_DialectSwitch = choice;
    if (!m_Program.empty()) DecideDialect();
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
