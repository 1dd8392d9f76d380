#include "tools/kept_games.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/paths.h"

namespace tarvik::tools {

namespace fs = std::filesystem;

namespace {

// FNV-1a: stable across runs and builds, unlike std::hash.
uint64_t PathHash(const std::string& s) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::string AbsoluteForm(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(fs::path(path), ec), ec);
    return ec ? path : p.lexically_normal().string();
}

}  // namespace

std::string KeptGamesFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return (fs::path(state) / "tarvik").string();
    const char* home = std::getenv("HOME");
    return (fs::path(home && *home ? home : "/tmp") / ".local" / "state" / "tarvik").string();
}

std::string KeptGamePath(const std::string& questPath) {
    const std::string absolute = AbsoluteForm(questPath);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(PathHash(absolute)));
    std::string name = fs::path(absolute).filename().string();
    return (fs::path(KeptGamesFolder()) / (name + "-" + hash + ".qsv")).string();
}

bool ReadKeptGame(const std::string& questPath, std::string& bytes) {
    const std::string path = KeptGamePath(questPath);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    return ReadWholeFile(path, bytes);
}

bool KeepGame(const std::string& questPath, const std::string& bytes) {
    if (bytes.empty()) {
        DropKeptGame(questPath);
        return true;
    }
    std::error_code ec;
    fs::create_directories(KeptGamesFolder(), ec);
    return WriteFileAtomically(KeptGamePath(questPath), bytes);
}

void DropKeptGame(const std::string& questPath) {
    std::error_code ec;
    fs::remove(KeptGamePath(questPath), ec);
}

void GameKeeper::SetQuest(const std::string& questPath) {
    m_Quest = questPath;
    m_Kept.clear();
    m_Known = false;
}

bool GameKeeper::Keep(const std::string& text) {
    if (m_Quest.empty()) return true;
    if (m_Known && text == m_Kept) return true;
    m_Known = false;
    if (!KeepGame(m_Quest, text)) return false;
    m_Kept = text;
    m_Known = true;
    return true;
}

void GameKeeper::Drop() {
    if (m_Quest.empty()) return;
    DropKeptGame(m_Quest);
    m_Kept.clear();
    m_Known = true;
}

}  // namespace tarvik::tools
