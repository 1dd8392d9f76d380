// Hostile and broken input: quests, saved games and files built to crash the player, exhaust its memory or
// freeze it. Inputs are generated at run time; large files are sparse.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "files/paths.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

void MakeSparse(const fs::path& p, uintmax_t size) {
    std::ofstream(p, std::ios::binary) << "pln big\r\n";
    fs::resize_file(p, size);
}

size_t Count(const std::string& s, std::string_view what) {
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
    return n;
}

// A chain reaching the executor through substitution runs piece by piece exactly as before.
TEST(Hostile, SubstitutedChainsKeepTheirOrder) {
    struct Case {
        const char* quest;
        const char* text;
    } cases[] = {
        {"v=\"pln a && pln b && pln c\"\n#v$", "a \r\nb \r\nc \r\n"},
        {"v=\"pln a &&  && pln c  \"\n#v$", "a \r\nc \r\n"},
        {"v=\"pln a && if 1=1 then pln b && pln c\"\n#v$", "a \r\nb \r\nc \r\n"},
        {"v=\"pln a && if 1=2 then pln b && pln c\"\n#v$", "a \r\n"},
        {"v=\"pln a && if 1=2 then pln b else pln d && pln e\"\n#v$", "a \r\nd \r\ne \r\n"},
        {"v=\"pln a && :cnt && pln c\"\n#v$\npln #cnt$", "a \r\n0 \r\n"},
        {"v=\"pln a &&\"\n#v$\npln z", "a \r\nz \r\n"},
        {"v=\"pln a && end && pln c\"\n#v$\npln z", "a \r\nc \r\nz \r\n"},
        {"v=\"pln a && x=5 && pln #x$\"\n#v$\npln #x$", "a \r\n0 \r\n5 \r\n"},
    };
    for (const auto& c : cases) {
        QuestFixture q;
        q.Run(c.quest);
        EXPECT_EQ(q.Text(), c.text) << c.quest;
    }
}

// Row 1: a text of 65,536 chained statements built by doubling used to recurse once per "&".
TEST(Hostile, AChainOfTensOfThousandsOfPiecesRunsWithoutRecursion) {
    QuestFixture q;
    q.Run("v=\"p a&&\"\ni=0\n:l\nv=v+v\ni=i+1\nif i<16 then goto l\n#v$\npln done");
    const std::string text = q.Text();
    EXPECT_EQ(Count(text, "a"), 65536u);
    EXPECT_NE(text.find("done"), std::string::npos);

    // The same chain as a button's command list, and in a crafted saved game.
    QuestFixture b;
    b.Run("v=\"p a&&\"\ni=0\n:l\nv=v+v\ni=i+1\nif i<16 then goto l\nxbtn r,{#v$},go\nend\n:r\npln room\nend");
    b.engine->ChooseButton(0);
    EXPECT_EQ(Count(b.Text(), "a"), 65536u);
    EXPECT_NE(b.Text().find("room"), std::string::npos);

    std::string save = "PerKill\r\nv=\"";
    for (int i = 0; i < 65536; ++i) save += "p b&&";
    save += "\"\r\n#v$\r\nend\r\n";
    b.engine->RestoreGameText(save);
    EXPECT_EQ(Count(b.Text(), "b"), 65536u);
}

// Row 2: a quest that grows texts, the screen, variables and buttons without end is held at the limits and
// goes on running.
TEST(Hostile, GrowthStopsAtTheLimitsAndTheQuestGoesOn) {
    QuestFixture q;
    q.Run(
        "v=\"abcdefgh\"\ni=0\n:l\nv=v+v\ni=i+1\nif i<34 then goto l\n"
        "n=0\n:p\np #v$\nn=n+1\nif n<6 then goto p\n"
        "cls\nk=0\n:b\nbtn x,button\nk=k+1\nif k<10005 then goto b\npln done");
    const Value* v = q.engine->FindVariable("v");
    ASSERT_NE(v, nullptr);
    EXPECT_LE(v->str.size(), Limits::kMaxTextValue);
    EXPECT_EQ(q.engine->buttons().size(), Limits::kMaxButtons);
    EXPECT_NE(q.Text().find("done"), std::string::npos);
    EXPECT_EQ(q.Var("k"), "10005");
}

TEST(Hostile, ScreenTextStopsAtItsLimit) {
    QuestFixture q;
    q.Run(
        "v=\"abcdefgh\"\ni=0\n:l\nv=v+v\ni=i+1\nif i<21 then goto l\n"
        "n=0\n:p\np #v$\nn=n+1\nif n<8 then goto p\npln #n$");
    size_t length = 0;
    for (const TextRun& r : q.engine->textRuns()) length += r.text.size();
    EXPECT_LE(length, Limits::kMaxScreenText);
    EXPECT_GE(length, Limits::kMaxScreenText - (16u << 20));
    EXPECT_EQ(q.Var("n"), "8");
}

// Row 3: files far too large are refused before they are read.
TEST(Hostile, HugeFilesAreRefusedUnread) {
    {
        QuestFixture q;
        MakeSparse(q.dir / "big.txt", uintmax_t{3} << 30);
        q.Run("include big.txt\npln after");
        EXPECT_EQ(q.Text(), "after \r\n");
    }
    {
        QuestFixture q;
        const fs::path quest = q.dir / "huge.qst";
        MakeSparse(quest, Limits::kMaxQuestFile + 1);
        q.engine->OpenQuest(quest.string());
        ASSERT_EQ(q.host.boxes.size(), 1u);
        EXPECT_NE(U(q.host.boxes[0].text).find("слишком велик"), std::string::npos);
        EXPECT_EQ(q.Text(), "");
    }
    {
        QuestFixture q;
        q.Run("pln kept");
        const fs::path save = q.dir / "huge.qsv";
        MakeSparse(save, Limits::kMaxSavedGame + 1);
        q.host.openAnswers.push_back({DialogResult::State::Accepted, save.string()});
        q.engine->RestoreGame();
        ASSERT_EQ(q.host.boxes.size(), 1u);
        EXPECT_NE(U(q.host.boxes[0].text).find("huge.qsv"), std::string::npos);
        EXPECT_EQ(q.Text(), "kept \r\n");
    }
}

// The old matcher, kept as the reference the fast one must agree with.
bool ReferenceLike(const std::string& t, const std::string& p) {
    if (p.empty()) return t.empty();
    if (p[0] == '*') {
        for (size_t i = 0; i <= t.size(); ++i)
            if (ReferenceLike(t.substr(i), p.substr(1))) return true;
        return false;
    }
    if (t.empty()) return false;
    const bool one = p[0] == '?' || (p[0] == '#' && t[0] >= '0' && t[0] <= '9') ||
                     (p[0] != '#' && text::EqualsNoCase(t.substr(0, 1), p.substr(0, 1)));
    return one && ReferenceLike(t.substr(1), p.substr(1));
}

// Row 4: "==" agrees with the straightforward matcher and takes no quadratic time on long texts.
TEST(Hostile, PatternMatchAgreesAndScalesWithLongTexts) {
    std::mt19937 random(7);
    const std::string alphabet = "aAb1*?#";
    for (int round = 0; round < 5000; ++round) {
        std::string t, p;
        for (int i = static_cast<int>(random() % 9); i > 0; --i) t += "aAb1"[random() % 4];
        for (int i = static_cast<int>(random() % 7); i > 0; --i) p += alphabet[random() % alphabet.size()];
        ASSERT_EQ(text::Like(t, p), ReferenceLike(t, p)) << "\"" << t << "\" == \"" << p << "\"";
    }
    const std::string longText(1 << 17, 'a');
    std::string pattern(1, '*');
    pattern.append(1 << 16, 'a');
    pattern += "b*";
    EXPECT_FALSE(text::Like(longText, pattern));
    EXPECT_TRUE(text::Like(longText + "b", pattern));
}

TEST(Hostile, LongLinesOfFunctionCallsAndPathsAreLinear) {
    QuestFixture q;
    q.Run("pln start");
    std::string calls;
    for (int i = 0; i < 200000; ++i) calls += "abs[0-1]";
    q.engine->Subst(calls);
    EXPECT_EQ(calls, std::string(200000, '1'));

    std::string dotted;
    for (int i = 0; i < 32768; ++i) dotted += "./";
    EXPECT_EQ(ResolvePath(dotted + "x"), dotted + "x");
}

// A sum of a hundred thousand terms is one statement that runs for a long while: the front gets its turns
// inside it, and a player who leaves meanwhile ends it without its assignment or the statements after it.
TEST(Hostile, ALongSumLetsTheFrontInAndEndsWhenThePlayerLeaves) {
    std::string sum = "x=1";
    for (int i = 0; i < 100000; ++i) sum += "+1";
    {
        QuestFixture q;
        q.Run(sum + "\npln after");
        EXPECT_NE(q.Var("x"), "<unset>");
        EXPECT_NE(q.Text().find("after"), std::string::npos);
    }
    QuestFixture q;
    q.host.processBudget = 1;  // the assignment's own turn, then the first one inside the sum stops the play
    q.Run(sum + "\npln after");
    EXPECT_TRUE(q.engine->Stopping());
    EXPECT_EQ(q.Var("x"), "<unset>");
    EXPECT_EQ(q.Text().find("after"), std::string::npos) << q.Text();
}

// Row 5: only the file's own name is cut at ".qsv".
TEST(Hostile, SaveNamesLookAtTheFileNameOnly) {
    QuestFixture q;
    q.Run("pln hello");
    fs::create_directories(q.dir / "my.qsv.saves");
    q.WriteBytes("my.qsv", "precious");
    q.host.saveAnswers.push_back({DialogResult::State::Accepted, (q.dir / "my.qsv.saves" / "game").string()});
    q.engine->SaveGame("");
    EXPECT_EQ(Slurp(q.dir / "my.qsv"), "precious");
    EXPECT_TRUE(fs::exists(q.dir / "my.qsv.saves" / "game.qsv"));
}

// Row 7: temporary files of writers that no longer run are removed; a live writer's and strangers' stay.
TEST(Hostile, StaleTemporaryFilesAreRemoved) {
    QuestFixture q;
    const std::string dead = std::to_string((1 << 22) + 1);  // above any pid the kernel hands out
    const std::string alive = std::to_string(getpid());
    for (const std::string& name : {"a.qsv.part" + dead, "tarvik.ini.part" + dead, "b.qsv.part" + alive,
                                    "notes.part" + dead, std::string("c.qsv.partx")})
        q.WriteBytes(name, "x");
    EXPECT_EQ(RemoveStaleTempFiles(q.dir.string()), 2);
    EXPECT_FALSE(fs::exists(q.dir / ("a.qsv.part" + dead)));
    EXPECT_FALSE(fs::exists(q.dir / ("tarvik.ini.part" + dead)));
    EXPECT_TRUE(fs::exists(q.dir / ("b.qsv.part" + alive)));
    EXPECT_TRUE(fs::exists(q.dir / ("notes.part" + dead)));
    EXPECT_TRUE(fs::exists(q.dir / "c.qsv.partx"));
}

// Rows 8 and 10: the command line names the file it cannot use, and a quest that never stops times out.
TEST(Hostile, CliReportsFileSystemErrorsAndTimesOut) {
    QuestFixture q;
    const fs::path quest = q.WriteFile("q.qst", "pln hi");
    fs::create_symlink(q.dir / "loopA", q.dir / "loopB");
    fs::create_symlink(q.dir / "loopB", q.dir / "loopA");
    const std::string names[] = {(q.dir / "loopA" / "x.qsv").string(),
                                 (q.dir / (std::string(300, 'n') + "/x.qsv")).string()};
    for (const std::string& save : names) {
        std::ofstream(q.dir / "s.txt") << "loadgame " << save << "\n";
        CliResult r = RunCli({"play", quest.string(), "--script", (q.dir / "s.txt").string()}, q.dir);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(save), std::string::npos) << r.err;
    }
    CliResult loop = RunCli({"play", (q.dir / "loopA" / "q.qst").string(), "--dump"}, q.dir);
    EXPECT_EQ(loop.exitCode, 1) << loop.err;

    const fs::path endless = q.WriteFile("endless.qst", ":a\nx=x+1\ngoto a");
    CliResult r = RunCli({"play", endless.string(), "--dump", "--timeout", "1"}, q.dir);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("the quest did not stop"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarvik::testing
