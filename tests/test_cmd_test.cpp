// tarvik-cli test: blessing, passing and failing transcripts, and the unified diff it shows.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "cli/unified_diff.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

// Applies a unified diff to `before` as patch would, reading only its hunks.
std::string ApplyDiff(const std::string& before, const std::string& diff) {
    std::vector<std::string> a, out;
    std::istringstream in(before), d(diff);
    for (std::string l; std::getline(in, l);) a.push_back(l + (in.eof() ? "" : "\n"));
    size_t at = 0;
    char last = ' ';
    std::string line;
    std::getline(d, line);
    std::getline(d, line);
    while (std::getline(d, line)) {
        if (line.rfind("@@ -", 0) == 0) {
            size_t start = std::stoul(line.substr(4));
            size_t count =
                line.find(',') < line.find(' ', 4) ? std::stoul(line.substr(line.find(',') + 1)) : 1;
            while (at < (count == 0 ? start : start - 1)) out.push_back(a[at++]);
        } else if (line.rfind("\\ ", 0) == 0) {
            if (last == '+') out.back().pop_back();  // the added line has no line end
        } else if ((last = line[0]) == '+') {
            out.push_back(line.substr(1) + "\n");
        } else {
            if (line[0] == ' ') out.push_back(a[at]);
            ++at;
        }
    }
    while (at < a.size()) out.push_back(a[at++]);
    std::string s;
    for (const auto& l : out) s += l;
    return s;
}

TEST(UnifiedDiff, RoundTripsRandomEditsWithMinimalHunks) {
    EXPECT_EQ(cli::UnifiedDiff("a\nb\n", "a\nb\n", "x", "y"), "");
    EXPECT_EQ(cli::UnifiedDiff("a\nb\nc\n", "a\nB\nc\n", "x", "y"),
              "--- x\n+++ y\n@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n");
    EXPECT_EQ(cli::UnifiedDiff("", "a\n", "x", "y"), "--- x\n+++ y\n@@ -0,0 +1 @@\n+a\n");
    EXPECT_EQ(cli::UnifiedDiff("a\n", "a", "x", "y"),
              "--- x\n+++ y\n@@ -1 +1 @@\n-a\n+a\n\\ No newline at end of file\n");
    // Changes more than six lines apart make two hunks.
    EXPECT_EQ(cli::UnifiedDiff("1\n2\n3\n4\n5\n6\n7\n8\n9\n", "0\n2\n3\n4\n5\n6\n7\n8\n0\n", "x", "y"),
              "--- x\n+++ y\n@@ -1,4 +1,4 @@\n-1\n+0\n 2\n 3\n 4\n@@ -6,4 +6,4 @@\n 6\n 7\n 8\n-9\n+0\n");
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        auto text = [&](size_t n) {
            std::string s;
            for (size_t i = 0; i < n; ++i) s += std::string(1, static_cast<char>('a' + rng() % 4)) + "\n";
            if (rng() % 5 == 0 && !s.empty()) s.pop_back();
            return s;
        };
        const std::string a = text(rng() % 30), b = text(rng() % 30);
        const std::string diff = cli::UnifiedDiff(a, b, "a", "b");
        EXPECT_EQ(ApplyDiff(a, diff), b) << a << "\n--\n" << b << "\n--\n" << diff;
    }
}

TEST(TestCommand, BlessPassAndFailWithAUnifiedDiff) {
    QuestFixture q;
    auto quest =
        q.WriteFile("quest.qst", "pln Hello\nbtn a, Go\nend\n:a\npln There\nbtn b, On\nend\n:b\npln End\n");
    auto one = q.WriteFile("one.txt", "choose 1\n");
    auto two = q.WriteFile("two.txt", "choose 1\nchoose 1\n");
    auto bad = q.WriteFile("bad.txt", "choose x\n");

    CliResult r = RunCli({"test", quest.string(), one.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("--bless"), std::string::npos) << r.out;

    r = RunCli({"test", quest.string(), one.string(), two.string(), "--bless"}, q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // The expected file is what play --transcript writes.
    RunCli({"play", quest.string(), "--script", one.string(), "--transcript", (q.dir / "t.txt").string()},
           q.dir);
    EXPECT_EQ(Slurp(one.string() + ".expected"), Slurp(q.dir / "t.txt"));

    r = RunCli({"test", quest.string(), one.string(), two.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("2 passed, 0 failed"), std::string::npos) << r.out;

    // Only the second script reaches the changed page.
    q.WriteFile("quest.qst", "pln Hello\nbtn a, Go\nend\n:a\npln There\nbtn b, On\nend\n:b\npln The end\n");
    const std::string blessed = Slurp(two.string() + ".expected");
    r = RunCli({"test", quest.string(), one.string(), two.string(), bad.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("PASS " + one.string()), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("FAIL " + two.string() + "\n--- " + two.string() + ".expected\n+++ "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\n-End \n+The end \n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("FAIL " + bad.string() + ": " + bad.string() + ": line 1"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1 passed, 2 failed"), std::string::npos) << r.out;
    EXPECT_EQ(Slurp(two.string() + ".expected"), blessed);

    r = RunCli({"test", quest.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 64);
}

TEST(TestCommand, TheDemoQuestsWalkMatchesItsTranscript) {
    const std::string quests = std::string(TARVIK_SOURCE_DIR) + "/quests/";
    QuestFixture q;
    CliResult r = RunCli({"test", quests + "demo.qst", quests + "tests/walk.txt"}, q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

}  // namespace
}  // namespace tarvik::testing
