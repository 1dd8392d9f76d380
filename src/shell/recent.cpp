#include "shell/recent.h"

#include <filesystem>
#include <system_error>

#include <QString>

namespace tarvik::shell {

namespace fs = std::filesystem;

namespace {

const std::string kNoEntry;

bool ExistsAsWritten(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// Two spellings name the same quest unless both exist as different files: on a case-sensitive file system
// a.qst and A.qst may be two quests, and opening one must not load the other.
bool DefaultSameFile(const std::string& a, const std::string& b) {
    if (!ExistsAsWritten(a) || !ExistsAsWritten(b)) return true;
    std::error_code ec;
    return fs::equivalent(fs::path(a), fs::path(b), ec);
}

}  // namespace

bool PathsEqualNoCase(const std::string& utf8a, const std::string& utf8b) {
    if (utf8a == utf8b) return true;
    return QString::fromUtf8(utf8a.data(), static_cast<qsizetype>(utf8a.size()))
               .compare(QString::fromUtf8(utf8b.data(), static_cast<qsizetype>(utf8b.size())),
                        Qt::CaseInsensitive) == 0;
}

RecentList::RecentList() : RecentList(QuestFileExists, DefaultSameFile) {}

RecentList::RecentList(ExistsFn exists, SameFileFn sameFile)
    : m_exists(std::move(exists)), m_sameFile(std::move(sameFile)) {}

void RecentList::Assign(const std::array<std::string, kRecentCount>& entries) {
    m_entries = entries;
    for (int i = 0; i < kRecentCount; ++i) m_visible[i] = !m_entries[i].empty() && m_exists(m_entries[i]);
}

const std::string& RecentList::Entry(int i) const {
    return i >= 1 && i <= kRecentCount ? m_entries[i - 1] : kNoEntry;
}

bool RecentList::Visible(int i) const {
    return i >= 1 && i <= kRecentCount && m_visible[i - 1];
}

bool RecentList::SameEntry(const std::string& a, const std::string& b) const {
    if (a == b) return true;
    return PathsEqualNoCase(a, b) && m_sameFile(a, b);
}

int RecentList::OpenQuestFile(const std::string& path) {
    for (int i = 1; i <= kRecentCount; ++i)
        if (SameEntry(m_entries[i - 1], path)) return i;
    for (int i = kRecentCount - 1; i >= 1; --i) m_entries[i] = std::move(m_entries[i - 1]);
    m_entries[0] = path;
    // Only empty entries are hidden here: a missing file stays listed until the next move to the top.
    for (int i = 0; i < kRecentCount; ++i) m_visible[i] = !m_entries[i].empty();
    return 0;
}

std::string RecentList::ClickItem(int i) {
    if (i < 1 || i > kRecentCount || m_entries[i - 1].empty()) return {};
    std::string path = m_entries[i - 1];
    if (i != 1) MoveRecentToTop(i);
    return path;
}

void RecentList::MoveRecentToTop(int i) {
    if (i < 1 || i > kRecentCount) return;
    std::string taken = std::move(m_entries[i - 1]);
    for (int k = i - 1; k >= 1; --k) m_entries[k] = std::move(m_entries[k - 1]);
    m_entries[0] = std::move(taken);
    for (int k = 0; k < kRecentCount; ++k) m_visible[k] = !m_entries[k].empty() && m_exists(m_entries[k]);
}

}  // namespace tarvik::shell
