#include "files/kept_games.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "files/paths.h"

namespace tarvik::files {

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

GameKeeper::~GameKeeper() {
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) m_Thread.join();
}

void GameKeeper::Run() {
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_Wake.wait(lock, [this] { return m_Stop || m_HasJob; });
        if (!m_HasJob) return;
        const std::string quest = std::move(m_JobQuest), text = std::move(m_JobText);
        m_HasJob = false;
        m_Writing = true;
        lock.unlock();
        const bool ok = KeepGame(quest, text);
        lock.lock();
        m_Writing = false;
        if (!ok) m_Failed = true;
        m_Idle.notify_all();
    }
}

void GameKeeper::Finish() {
    std::unique_lock lock(m_Mutex);
    m_Idle.wait(lock, [this] { return !m_HasJob && !m_Writing; });
}

void GameKeeper::SetQuest(const std::string& questPath) {
    Finish();
    m_Quest = questPath;
    m_Last.clear();
    m_Known = false;
}

bool GameKeeper::Keep(const std::string& text) {
    Finish();
    {
        // This write tells for itself; a background one that failed left the file as it was.
        std::lock_guard lock(m_Mutex);
        if (m_Failed) m_Known = false;
        m_Failed = false;
    }
    if (m_Quest.empty()) return true;
    if (m_Known && text == m_Last) return true;
    m_Known = false;
    if (!KeepGame(m_Quest, text)) return false;
    m_Last = text;
    m_Known = true;
    return true;
}

bool GameKeeper::KeepInBackground(const std::string& text) {
    if (m_Quest.empty()) return true;
    bool failed = false;
    {
        std::lock_guard lock(m_Mutex);
        std::swap(failed, m_Failed);
        // A failed write leaves the file as it was: the next text is written whatever it holds.
        if (failed) m_Known = false;
        if (m_Known && text == m_Last) return !failed;
        m_JobQuest = m_Quest;
        m_JobText = text;
        m_HasJob = true;
        if (!m_Thread.joinable()) m_Thread = std::thread([this] { Run(); });
    }
    m_Wake.notify_one();
    m_Last = text;
    m_Known = true;
    return !failed;
}

void GameKeeper::Drop() {
    Finish();
    if (m_Quest.empty()) return;
    DropKeptGame(m_Quest);
    m_Last.clear();
    m_Known = true;
}

}  // namespace tarvik::files
