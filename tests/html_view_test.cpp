// The HTML view: what the page buffer collects, when a page is shown and emptied, and the private folder its
// page file is written in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "test_host.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

// Points the temporary folder at `dir` for one test, and back afterwards.
class ScopedTmpdir {
public:
    explicit ScopedTmpdir(const fs::path& dir) {
        const char* old = std::getenv("TMPDIR");
        m_Had = old != nullptr;
        if (old) m_Old = old;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpdir() {
        if (m_Had)
            ::setenv("TMPDIR", m_Old.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    bool m_Had = false;
    std::string m_Old;
};

std::vector<std::string> Pages(const QuestFixture& q) {
    std::vector<std::string> r;
    for (const auto& p : q.host.htmlPages) r.push_back(U(p.page));
    return r;
}

TEST(HtmlView, BufferCollectsPrintsAndBlocksAndIsShownAtPageEnds) {
    struct Case {
        const char* quest;
        std::vector<std::string> pages;
        bool visible;
        const char* buffer;  // what is left for the next showing
    } cases[] = {
        // The printed text goes in whole, with its blank, CR LF and blank for pln; the page adds CR LF.
        {"html true\npln Hello\nend", {"Hello \r\n \r\n"}, true, ""},
        {"html TRUE \np a\np  b\nend", {"a  b \r\n"}, true, ""},
        // cls and clst leave the buffer; only showing it empties it.
        {"html true\np a\ncls\nclst\np b\nend", {"a b \r\n"}, true, ""},
        // An <html> line replaces what the buffer held; the block is substituted, not run.
        {"x=5\nhtml true\np junk\n<html><b>#x$\npln no\n</html>\nend",
         {"<html><b>5pln no</html>\r\n"},
         true,
         ""},
        // With the view off the block waits in the buffer; switching the view on shows it at the next end.
        {"<html>a\n</html>\nend\nhtml true\nend", {"<html>a</html>\r\n"}, true, ""},
        {"<html>a\n</html>\nend", {}, false, "<html>a</html>"},
        // An end with an empty buffer shows nothing new; pause and anykey show pages too.
        {"html true\np one\nend\nend\np two\npause 10\np three\nanykey\nend",
         {"one \r\n", "two \r\n", "three \r\n"},
         true,
         ""},
        // Anything but "true" (also nothing) returns to the text area; the buffer is untouched.
        {"html true\np kept\nhtml false\nend", {}, false, "kept "},
        {"html true\np kept\nhtml\nend", {}, false, "kept "},
        {"html true\np kept\nhtml truely\nend", {}, false, "kept "},
    };
    for (const auto& c : cases) {
        QuestFixture q;
        q.host.waitEvents.push_back([](Engine& e) { e.PressKey(13); });
        q.Run(c.quest);
        // Every end stops the run; go on as a player's next action would.
        for (int i = 0; i < 5; ++i) {
            std::string none;
            int level = 1;
            q.engine->RunLabel(level, none);
        }
        EXPECT_EQ(Pages(q), c.pages) << c.quest;
        EXPECT_EQ(q.engine->htmlVisible(), c.visible) << c.quest;
        EXPECT_EQ(U(q.engine->htmlBuffer()), c.buffer) << c.quest;
        // Nothing printed while the view is shown reaches the text area.
        EXPECT_EQ(q.Text(), "") << c.quest;
    }
}

TEST(HtmlView, PageComesAfterStylesAndPageTopWithTheQuestFolderAsBase) {
    QuestFixture q;
    q.Run("html true\nStyle_BackColor=255\npln x\nend");
    ASSERT_EQ(q.host.htmlPages.size(), 1u);
    const auto& shown = q.host.htmlPages[0];
    EXPECT_TRUE(shown.changesBefore & kScreenStyles);
    EXPECT_TRUE(shown.changesBefore & kScreenPageTop);
    EXPECT_TRUE(shown.changesBefore & kScreenHtml);
    std::error_code ec;
    EXPECT_TRUE(fs::equivalent(shown.base, q.dir, ec)) << shown.base;
    EXPECT_EQ(shown.base.back(), '/');
    EXPECT_EQ(Slurp(shown.file), shown.page);
}

TEST(HtmlView, ResetHidesTheViewAndEmptiesTheBuffer) {
    QuestFixture q;
    q.Run("html true\n<html>open block");
    EXPECT_TRUE(q.engine->htmlVisible());
    EXPECT_FALSE(q.engine->htmlBuffer().empty());
    q.host.changes = 0;
    q.WriteFile("quest.qst", "pln plain");
    q.engine->NewGame();
    EXPECT_FALSE(q.engine->htmlVisible());
    EXPECT_TRUE(q.engine->htmlBuffer().empty());
    EXPECT_TRUE(q.host.changes & kScreenHtml);
    EXPECT_EQ(q.Text(), "plain \r\n");
}

TEST(HtmlView, PageFileLivesInAPrivateFolderThatGoesWithTheEngine) {
    QuestFixture q;
    fs::path tmp = q.dir / "tmp";
    fs::create_directories(tmp);
    ScopedTmpdir scoped(tmp);
    q.Run("html true\npln Привет\nend\npln again\nend");
    ASSERT_EQ(q.host.htmlPages.size(), 1u);
    const fs::path file = q.host.htmlPages[0].file;
    const fs::path folder = file.parent_path();
    EXPECT_EQ(folder.parent_path(), tmp);
    EXPECT_EQ(file.filename(), "q.html");
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    // Code page 1251 bytes, as the quest has them.
    EXPECT_EQ(Slurp(file), W("Привет \r\n \r\n"));

    // The next showing replaces the file in the same folder.
    std::string none;
    int level = 1;
    q.engine->RunLabel(level, none);
    ASSERT_EQ(q.host.htmlPages.size(), 2u);
    EXPECT_EQ(q.host.htmlPages[1].file, file.string());
    EXPECT_EQ(Slurp(file), W("again \r\n \r\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    q.engine.reset();
    EXPECT_FALSE(fs::exists(folder));
}

TEST(HtmlView, PlantedLinksAreNeverFollowed) {
    QuestFixture q;
    fs::path tmp = q.dir / "tmp";
    fs::create_directories(tmp);
    fs::path victim = q.WriteBytes("victim.txt", "precious");
    // A link under the old fixed name in the shared folder.
    fs::create_symlink(victim, tmp / "q.html");
    ScopedTmpdir scoped(tmp);
    q.Run("html true\np first\nend\np second\nend");
    ASSERT_EQ(q.host.htmlPages.size(), 1u);
    EXPECT_EQ(Slurp(victim), "precious");
    const fs::path folder = fs::path(q.host.htmlPages[0].file).parent_path();
    EXPECT_NE(folder, tmp);

    // Someone swaps the private folder for a link to a folder of theirs: the next page goes to a fresh
    // folder, and nothing is written into theirs.
    fs::path theirs = q.dir / "theirs";
    fs::create_directories(theirs);
    fs::rename(folder, q.dir / "moved");
    fs::create_directory_symlink(theirs, folder);
    std::string none;
    int level = 1;
    q.engine->RunLabel(level, none);
    ASSERT_EQ(q.host.htmlPages.size(), 2u);
    EXPECT_NE(fs::path(q.host.htmlPages[1].file).parent_path(), folder);
    EXPECT_TRUE(fs::is_empty(theirs));
    EXPECT_EQ(Slurp(q.host.htmlPages[1].file), "second \r\n");
    // Leaving removes only its own folder, never the planted link's target.
    q.engine.reset();
    EXPECT_TRUE(fs::exists(theirs));
    EXPECT_EQ(Slurp(victim), "precious");
}

TEST(HtmlView, UnwritableFolderNeitherShowsNorEmptiesTheBuffer) {
    QuestFixture q;
    fs::path tmp = q.dir / "missing";
    {
        ScopedTmpdir scoped(tmp);
        q.Run("html true\np kept\nend\np more\nend");
        EXPECT_TRUE(q.host.htmlPages.empty());
        EXPECT_EQ(U(q.engine->htmlBuffer()), "kept ");
    }
    fs::create_directories(tmp);
    ScopedTmpdir scoped(tmp);
    std::string none;
    int level = 1;
    q.engine->RunLabel(level, none);
    ASSERT_EQ(q.host.htmlPages.size(), 1u);
    EXPECT_EQ(U(q.host.htmlPages[0].page), "kept more \r\n");
}

}  // namespace
}  // namespace tarvik::testing
