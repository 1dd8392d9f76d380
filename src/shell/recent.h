// The recent-quest list behind the "История" menu: ten UTF-8 paths, entry 1 the most recent, and which of
// the menu items mLast 1..10 are shown. The menu widgets belong to the main window, which rebuilds them from
// Entry() and Visible() after every change; this class holds no widgets.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "shell/settings.h"

namespace tarvik::shell {

class RecentList {
public:
    using ExistsFn = std::function<bool(const std::string&)>;
    // Whether two paths that differ only in letter case are the same file; by default both must not exist
    // as two different files.
    using SameFileFn = std::function<bool(const std::string&, const std::string&)>;

    // The defaults look at the file system (QuestFileExists, std::filesystem::equivalent).
    RecentList();
    RecentList(ExistsFn exists, SameFileFn sameFile);

    // Start-up: takes the entries read from the settings file; an item is shown when its entry is not empty
    // and names an existing file.
    void Assign(const std::array<std::string, kRecentCount>& entries);
    const std::array<std::string, kRecentCount>& Entries() const { return m_entries; }

    // Entries and items are numbered 1 to 10; other numbers give an empty, hidden entry.
    const std::string& Entry(int i) const;
    bool Visible(int i) const;

    // Opening a path (quest dialog, drop): when an entry equals it, ignoring letter case (Cyrillic too),
    // returns that entry's number and changes nothing; the caller then acts as a click on that item
    // (ClickItem). Otherwise puts the path on top, drops entry 10, shows every non-empty item (missing files
    // included) and returns 0; the caller then loads the path it passed.
    int OpenQuestFile(const std::string& path);

    // A click on item i: returns the path to load (the entry as stored), or "" when the entry is empty, and
    // moves the entry to the top first when i is not 1.
    std::string ClickItem(int i);

    // Moves entry i to the top; items are then shown when their entry is not empty and its file exists.
    void MoveRecentToTop(int i);

private:
    bool SameEntry(const std::string& a, const std::string& b) const;

    ExistsFn m_exists;
    SameFileFn m_sameFile;
    std::array<std::string, kRecentCount> m_entries;
    std::array<bool, kRecentCount> m_visible{};
};

// Letter case ignored the Unicode way, so Cyrillic paths compare like Latin ones.
bool PathsEqualNoCase(const std::string& utf8a, const std::string& utf8b);

}  // namespace tarvik::shell
