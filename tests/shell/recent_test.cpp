// The recent-quest list: opening, clicking, moving to the top, and which menu items show.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "shell/recent.h"

namespace {

using namespace tarvik::shell;
namespace fs = std::filesystem;

std::array<std::string, kRecentCount> Numbered(int count) {
    std::array<std::string, kRecentCount> a;
    for (int i = 1; i <= count; ++i) a[i - 1] = "/q/" + std::to_string(i) + ".qst";
    return a;
}

// A list over a pretend file system holding `files`; every spelling is its own file unless told otherwise.
struct FakeDisk {
    std::set<std::string> files;
    RecentList List() {
        return RecentList([this](const std::string& p) { return files.count(p) > 0; },
                          [](const std::string&, const std::string&) { return true; });
    }
};

TEST(RecentList, StartUpShowsOnlyEntriesWhoseFilesExist) {
    FakeDisk disk{{"/q/1.qst", "/q/3.qst"}};
    RecentList list = disk.List();
    auto entries = Numbered(3);
    entries[4] = "/q/5.qst";
    list.Assign(entries);
    EXPECT_TRUE(list.Visible(1));
    EXPECT_FALSE(list.Visible(2));  // missing file
    EXPECT_TRUE(list.Visible(3));
    EXPECT_FALSE(list.Visible(4));  // empty
    EXPECT_FALSE(list.Visible(5));
    EXPECT_EQ(list.Entry(2), "/q/2.qst");  // kept, only hidden
    EXPECT_EQ(list.Entry(0), "");
    EXPECT_FALSE(list.Visible(11));
}

TEST(RecentList, OpeningTheFourthEntryMovesItToTheTopAndLosesNothing) {
    FakeDisk disk;
    for (int i = 1; i <= 10; ++i) disk.files.insert("/q/" + std::to_string(i) + ".qst");
    RecentList list = disk.List();
    list.Assign(Numbered(10));
    const int found = list.OpenQuestFile("/q/4.qst");
    ASSERT_EQ(found, 4);
    EXPECT_EQ(list.Entries(), Numbered(10));  // finding changes nothing by itself
    EXPECT_EQ(list.ClickItem(found), "/q/4.qst");
    const std::array<std::string, kRecentCount> expected = {"/q/4.qst", "/q/1.qst", "/q/2.qst", "/q/3.qst",
                                                            "/q/5.qst", "/q/6.qst", "/q/7.qst", "/q/8.qst",
                                                            "/q/9.qst", "/q/10.qst"};
    EXPECT_EQ(list.Entries(), expected);
    for (int i = 1; i <= 10; ++i) EXPECT_TRUE(list.Visible(i)) << i;
}

TEST(RecentList, OpeningANewQuestPutsItOnTopAndDropsTheOldest) {
    FakeDisk disk;
    RecentList list = disk.List();
    list.Assign(Numbered(10));
    EXPECT_EQ(list.OpenQuestFile("/q/new.qst"), 0);
    EXPECT_EQ(list.Entry(1), "/q/new.qst");
    EXPECT_EQ(list.Entry(2), "/q/1.qst");
    EXPECT_EQ(list.Entry(10), "/q/9.qst");

    // With room left nothing is dropped and the empty entries stay hidden.
    RecentList shortList = disk.List();
    shortList.Assign(Numbered(2));
    shortList.OpenQuestFile("/q/x.qst");
    EXPECT_EQ(shortList.Entry(3), "/q/2.qst");
    EXPECT_TRUE(shortList.Visible(3));
    EXPECT_FALSE(shortList.Visible(4));
}

TEST(RecentList, EntriesCompareIgnoringLetterCaseCyrillicToo) {
    FakeDisk disk;
    RecentList list = disk.List();
    list.Assign({"C:\\Q\\A.QST", "/Квесты/Дом.QST", "/q/Ёлка.qst"});
    EXPECT_EQ(list.OpenQuestFile("c:\\q\\a.qst"), 1);
    EXPECT_EQ(list.OpenQuestFile("/квесты/дОМ.qst"), 2);
    EXPECT_EQ(list.OpenQuestFile("/Q/ёЛКА.QST"), 3);
    EXPECT_EQ(list.OpenQuestFile("/q/елка.qst"), 0);  // Е is not Ё
    // A click loads the entry as the list spells it.
    EXPECT_EQ(list.ClickItem(3), "/Квесты/Дом.QST");
}

TEST(RecentList, TwoExistingFilesDifferingInCaseAreTwoEntries) {
    QTemporaryDir dir;
    const fs::path upper = fs::path(dir.path().toStdString()) / "A.qst";
    const fs::path lower = fs::path(dir.path().toStdString()) / "a.qst";
    std::ofstream(upper) << "end\r\n";
    RecentList list;  // the real file system
    list.Assign({upper.string()});
    // Only A.qst exists: a.qst is the same quest spelt another way.
    EXPECT_EQ(list.OpenQuestFile(lower.string()), 1);
    std::ofstream(lower) << "end\r\n";
    EXPECT_EQ(list.OpenQuestFile(lower.string()), 0);
    EXPECT_EQ(list.Entry(1), lower.string());
    EXPECT_EQ(list.Entry(2), upper.string());
}

TEST(RecentList, ADeletedQuestStaysListedUntilTheNextMoveToTheTop) {
    FakeDisk disk{{"/q/1.qst", "/q/2.qst", "/q/3.qst"}};
    RecentList list = disk.List();
    list.Assign(Numbered(3));
    disk.files.erase("/q/2.qst");
    // Opening another quest shows every non-empty entry, the deleted one included.
    list.OpenQuestFile("/q/new.qst");
    EXPECT_EQ(list.Entry(3), "/q/2.qst");
    EXPECT_TRUE(list.Visible(3));
    // A move to the top hides it, and it stays in the list.
    list.MoveRecentToTop(4);
    EXPECT_EQ(list.Entry(1), "/q/3.qst");
    EXPECT_EQ(list.Entry(4), "/q/2.qst");
    EXPECT_FALSE(list.Visible(4));
    EXPECT_FALSE(list.Visible(2));  // "/q/new.qst" does not exist either
    EXPECT_TRUE(list.Visible(1));
}

TEST(RecentList, ClicksOnTheFirstOrAnEmptyItemMoveNothing) {
    FakeDisk disk;
    RecentList list = disk.List();
    list.Assign(Numbered(3));
    EXPECT_EQ(list.ClickItem(1), "/q/1.qst");
    EXPECT_EQ(list.Entries(), Numbered(3));
    EXPECT_EQ(list.ClickItem(5), "");
    EXPECT_EQ(list.ClickItem(0), "");
    EXPECT_EQ(list.ClickItem(11), "");
    list.MoveRecentToTop(42);
    EXPECT_EQ(list.Entries(), Numbered(3));
    // The last item moves up past all nine others.
    list.Assign(Numbered(10));
    list.MoveRecentToTop(10);
    EXPECT_EQ(list.Entry(1), "/q/10.qst");
    EXPECT_EQ(list.Entry(10), "/q/9.qst");
}

}  // namespace
