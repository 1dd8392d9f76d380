// The author tools that play or draw a whole quest: run-time diagnostics, explore, map and play --warnings.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_host.h"
#include "tools/explorer.h"
#include "tools/quest_map.h"

namespace tarvik::testing {
namespace {

// What the engine reports as it runs: the routine, the message and the quest line.
TEST(Diagnostics, EachRunTimeErrorReachesTheHostWithItsLine) {
    struct Case {
        const char* quest;
        const char* routine;
        const char* message;  // a part of it
        int line;
    } cases[] = {
        {"pln a\ngoto nowhere\n", "goto", "no label \":nowhere\"", 2},
        {"pln a\nproc nowhere\nend\n", "proc", "no label \":nowhere\"", 2},
        {"x=5/0\nend\n", "Calc", "division by zero", 1},
        {"pln\nplay missing.wav\nend\n", "play", "no sound file", 2},
        {"include missing.inc\nend\n", "include", "no included file \"missing.inc\"", 0},
        {"btn there\nend\n:there\nend\n", "btn", "btn without a comma", 1},
        {"pln a\nmusic=\"nothing\"\nend\n", "music", "no music file", 2},
        {"pln a\nImage=\"nothing.png\"\nend\n", "picture", "no picture file \"nothing.png\"", 3},
        {"pln a\nif (a then pln b\nend\n", "RunLabel", "", 2},
        {"pln ok\nend\n:there\nend\n", "", "", 0},
    };
    for (const Case& c : cases) {
        QuestFixture f;
        f.Run(c.quest);
        if (!*c.routine) {
            EXPECT_TRUE(f.host.diagnostics.empty()) << c.quest;
            continue;
        }
        ASSERT_EQ(f.host.diagnostics.size(), 1u) << c.quest;
        const Diagnostic& d = f.host.diagnostics[0];
        EXPECT_EQ(d.routine, c.routine) << c.quest;
        EXPECT_NE(d.message.find(c.message), std::string::npos) << d.message;
        EXPECT_EQ(d.line, c.line) << c.quest;
        if (c.line > 0) {
            EXPECT_EQ(d.source, f.engine->programLines()[static_cast<size_t>(c.line)]);
        }
    }
}

// A button to a missing label is reported when chosen, and keeps its caption through saves and loads.
TEST(Diagnostics, APhantomButtonIsReportedAndSurvivesASaveUnchanged) {
    QuestFixture f;
    Engine& e = f.Run("btn gone, Туда\nend\n");
    e.RestoreQuietly(e.SavedGameText("", true));
    const std::string saved = e.SavedGameText("", true);
    e.RestoreQuietly(saved);
    EXPECT_EQ(e.SavedGameText("", true), saved);
    e.ChooseButton(0);
    ASSERT_EQ(f.host.diagnostics.size(), 1u);
    EXPECT_EQ(f.host.diagnostics[0].routine, "btn");
}

class Explorer : public ::testing::Test {
protected:
    tools::ExploreResult Explore(const std::string& quest, tools::ExploreOptions options = {}) {
        return tools::Explore(f.WriteFile("q.qst", quest).string(), options);
    }
    static std::vector<std::string> Unreached(const tools::ExploreResult& r) {
        std::vector<std::string> names;
        for (size_t i = 0; i < r.labels.size(); ++i)
            if (!r.reached[i]) names.push_back(U(r.labels[i]));
        return names;
    }
    QuestFixture f;
};

// The search rules, each on a quest made for it.
TEST_F(Explorer, ACycleEndsWhereItsStatesRepeat) {
    // Visit counters nobody reads do not make a cycle endless; one compared with 2 counts up to 3.
    auto r = Explore(":a\nif count_b=2 then pln twice\nbtn b, B\nend\n:b\nbtn a, A\nend\n");
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.ExitCode(), 0);
    EXPECT_LE(r.states, 8u);
    EXPECT_TRUE(Unreached(r).empty());
}

TEST_F(Explorer, EveryInputAnswerAndMessageBoxButtonIsTried) {
    const std::string quest =
        "input x\nif x=\"да\" then goto yes\nMsgBox \"?\", \"t\", 4, a\nif a=7 then goto no\n"
        "anykey\npause 100\npln go on\nbtn yes, Y\nend\n:yes\nbtn no, N\nend\n:no\nbtn yes, "
        "Y\nend\n:never\nend\n";
    tools::ExploreOptions options;
    options.inputs = {W("да"), ""};
    auto r = Explore(quest, options);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(Unreached(r), std::vector<std::string>{"never"});
    // Without "да" the first jump is never taken; the key wait and the pause went on.
    auto noInput = Explore(quest);
    EXPECT_EQ(noInput.ReachedCount(), 2u);
}

// Each row: a quest, what is tried in it, and what the search must then have reached or found.
TEST_F(Explorer, TriesEveryWayThePlayerHas) {
    struct Case {
        const char* what;
        const char* quest;
        std::vector<std::string> unreached;
        size_t deadEnds, errors;
    } cases[] = {
        {"item actions",
         "inv+ Лампа\nbtn a, A\nend\n:a\nbtn a, A\nend\n:use_Лампа_Зажечь\nlit=1\nend\n",
         {},
         0,
         0},
        {"picture clicks",
         "formpicture1=\"p.png\"\nformpicture1top=0\nformpicture1left=0\npicture\nbtn a, A\nend\n"
         ":a\nbtn a, A\nend\n:form_image_click\nend\n",
         {},
         0,
         0},
        {"a counter compared with a number is told apart up to it",
         ":a\nif count_a=3 then goto third\nbtn a, Again\nend\n:third\nbtn a, A\nend\n",
         {},
         0,
         0},
        {"an input dialog",
         "input_box x\nif x=\"\" then goto empty\nend\n:empty\nbtn empty, E\nend\n",
         {},
         0,
         0},
        {"a key wait over and over with no button", ":a\npln Жмите\nanykey\ngoto a\n", {}, 1, 0},
        {"an input asked again after an empty answer",
         ":a\ninput x\nif x=\"\" then goto a\nbtn a, A\nend\n",
         {},
         0,
         0},
        // Buttons are tried at rest only: the turn ends where its pause repeats, and with a button shown that
        // is no dead end.
        {"a pause over and over, with a button",
         "btn b, B\n:a\npause 100\ngoto a\n:b\nbtn b, B\nend\n",
         {"b"},
         0,
         0},
        {"an endless loop", ":a\nx=x+1\nif x<0 then goto b\ngoto a\n:b\nend\n", {"b"}, 0, 1},
    };
    for (const Case& c : cases) {
        f.WriteBytes("p.png", Slurp(TARVIK_SOURCE_DIR "/quests/pictures/forest.png"));
        auto r = Explore(c.quest);
        EXPECT_TRUE(r.complete) << c.what;
        EXPECT_EQ(Unreached(r), c.unreached) << c.what;
        EXPECT_EQ(r.deadEnds.size(), c.deadEnds) << c.what;
        EXPECT_EQ(r.errors.size(), c.errors) << c.what;
    }
}

// Randomness comes from the seed, so a path found with it replays to the same place.
TEST_F(Explorer, APathFoundWithASeedReplaysWithIt) {
    const std::string quest =
        f.WriteFile("q.qst",
                    "btn roll, Бросить\nend\n:roll\nr=RND3\nif r=3 then pln Три & quit\nbtn roll, Ещё\nend\n")
            .string();
    tools::ExploreOptions options;
    tools::ExploreResult r;
    for (options.seed = 0; options.seed < 50 && r.endings.empty(); ++options.seed)
        r = tools::Explore(quest, options);
    ASSERT_EQ(r.endings.size(), 1u);
    std::string script;
    for (const std::string& step : r.endings[0].path) script += step + "\n";
    CliResult play = RunCli({"play", quest, "--seed", std::to_string(options.seed - 1), "--script",
                             f.WriteBytes("s.txt", script).string(), "--dump"},
                            f.dir);
    EXPECT_NE(play.out.find("\"waiting\":\"quit\""), std::string::npos) << script << play.out;
}

TEST_F(Explorer, ASearchCutByTheLimitSaysSo) {
    auto r = Explore(":a\nn=n+1\nbtn a, Again\nend\n", [] {
        tools::ExploreOptions o;
        o.maxStates = 10;
        return o;
    }());
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.states, 10u);
    EXPECT_EQ(r.ExitCode(), 2);
}

TEST_F(Explorer, FindsErrorsEndingsAndDeadEndsWithPathsThatReplay) {
    auto r = Explore(
        "btn a, A\nbtn b, B\nbtn c, C\nend\n:a\npln Тупик\nend\n:b\ngoto nowhere\n:c\nMsgBox \"?\", \"t\", "
        "4, k\n"
        "if k=7 then pln Конец & quit\nbtn a, A\nend\n");
    EXPECT_EQ(r.ExitCode(), 1);
    ASSERT_EQ(r.deadEnds.size(), 2u);  // the page of :a, and the empty page a missing label leaves
    EXPECT_EQ(U(r.deadEnds[0].label), "a");
    EXPECT_EQ(r.deadEnds[0].path, std::vector<std::string>{"choose 1"});
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].line, 9);
    EXPECT_EQ(r.errors[0].path, std::vector<std::string>{"choose 2"});
    ASSERT_EQ(r.endings.size(), 1u);
    EXPECT_EQ(r.endings[0].path, (std::vector<std::string>{"choose 3", "answer 7"}));

    // The ending's path, played as a script, ends the quest there.
    std::string script;
    for (const std::string& step : r.endings[0].path) script += step + "\n";
    CliResult play = RunCli({"play", (f.dir / "q.qst").string(), "--script",
                             f.WriteBytes("ending.txt", script).string(), "--dump"},
                            f.dir);
    EXPECT_NE(play.out.find("\"waiting\":\"quit\""), std::string::npos) << play.out;
}

TEST_F(Explorer, TheCommandReportsAsJsonAndItsExitCode) {
    f.WriteFile("q.qst", "btn a, A\nend\n:a\ngoto nowhere\n:lost\nend\n");
    CliResult r = RunCli({"explore", (f.dir / "q.qst").string(), "--json"}, f.dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\"labels\":{\"total\":2,\"reached\":1,\"unreached\":[\"lost\"]}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(
        r.out.find(
            "\"errors\":[{\"path\":[\"choose 1\"],\"message\":\"no label \\\":nowhere\\\"\",\"line\":4"),
        std::string::npos)
        << r.out;
}

TEST(AuthorCommands, ReadableSummaryAndUsageErrors) {
    QuestFixture f;
    const std::string quest = f.WriteFile("q.qst", "btn a, A\nend\n:a\npln Всё\nquit\n").string();
    CliResult r = RunCli({"explore", quest}, f.dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("complete\nLabels: 1 of 1 reached\n\nEndings (1):\n  \"Всё\"\n    path: choose 1\n"),
              std::string::npos)
        << r.out;
    for (std::vector<std::string> bad : {std::vector<std::string>{"explore", quest, "--max-states", "0"},
                                         {"explore"},
                                         {"map", quest, "--format", "png"},
                                         {"explore", quest, "--colour"}})
        EXPECT_EQ(RunCli(bad, f.dir).exitCode, 64) << bad.back();
    EXPECT_EQ(RunCli({"map", (f.dir / "none.qst").string()}, f.dir).exitCode, 1);
}

TEST(QuestMap, DrawsChoicesJumpsAndCallsInTheirOwnStyles) {
    QuestFixture f;
    const std::string quest =
        f.WriteFile(
             "q.qst",
             ":start\nbtn room, В комнату\nxbtn room, {proc helper}, Позвать\n"
             "if a=1 then goto room else goto gone\n:room\ngoto start\n:helper\ngoto #place$\n:lost\nend\n")
            .string();
    const std::string dot = tools::QuestMapDot(tools::ReadQuestMap(quest));
    for (const char* line : {
             "  l0 [label=\"start\"];",
             "  x0 [label=\"gone\", shape=box, style=\"rounded,dashed\", color=red, fontcolor=red];",
             "  l0 -> l1 [style=solid, label=\"В комнату\"];",
             "  l0 -> l1 [style=solid, label=\"Позвать\"];",
             "  l0 -> l2 [style=dotted, color=darkgreen, arrowhead=odiamond];",
             "  l0 -> l1 [style=dashed, color=blue];",
             "  l0 -> x0 [style=dashed, color=blue];",
             "  l1 -> l0 [style=dashed, color=blue];",
             "  x1 [label=\"#place$\", shape=note, style=dashed, fontcolor=dimgrey];",
             "  l2 -> x1 [style=dashed, color=blue];",
             "  start -> l0 [style=bold];",
         })
        EXPECT_NE(dot.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << dot;

    // An exploration greys what no path reaches.
    tools::ExploreResult explored = tools::Explore(quest, {});
    const std::string coloured = tools::QuestMapDot(tools::ReadQuestMap(quest), &explored);
    EXPECT_NE(coloured.find("l3 [label=\"lost\", fillcolor=lightgrey, fontcolor=dimgrey];"),
              std::string::npos)
        << coloured;
    // The label holding the jump to a missing label is outlined.
    EXPECT_NE(coloured.find("l0 [label=\"start\", color=red, penwidth=2];"), std::string::npos);
    CliResult svg = RunCli({"map", quest, "-o", (f.dir / "q.svg").string()}, f.dir);
    EXPECT_EQ(svg.exitCode, 0) << svg.err;
    EXPECT_NE(Slurp(f.dir / "q.svg").find("<svg"), std::string::npos);
}

// A state restored to branch from draws the random numbers its path would have drawn next.
TEST(Diagnostics, TheRandomGeneratorCanBePlacedAfterItsDraws) {
    QuestFixture f;
    Engine& e = f.Run("a=RND1000\nb=RND1000\nc=RND1000\nend\n", 5);
    EXPECT_EQ(e.randomDraws(), 3u);
    const std::string c = f.Var("c");
    e.SeedAt(5, 2);
    std::string again = "d=RND1000";
    e.Do_Perem(again);
    EXPECT_EQ(f.Var("d"), c);
    EXPECT_EQ(e.randomDraws(), 3u);
}

TEST(PlayWarnings, RunTimeErrorsGoToStderrOnlyWhenAskedFor) {
    QuestFixture f;
    const std::string quest = f.WriteFile("q.qst", "pln a\ngoto nowhere\n").string();
    CliResult quiet = RunCli({"play", quest, "--dump"}, f.dir);
    EXPECT_EQ(quiet.err, "");
    CliResult loud = RunCli({"play", quest, "--dump", "--warnings"}, f.dir);
    EXPECT_EQ(loud.err, "tarvik-cli: warning: line 2: goto: no label \":nowhere\": goto nowhere\n");
    EXPECT_EQ(loud.out, quiet.out);
    // Lines are counted in the file their author wrote: past a comment of two lines, and in an include.
    f.WriteFile("part.inc", "pln b\nx=1/0\n");
    const std::string shifted =
        f.WriteFile("s.qst", "/* a comment\nof two lines */\npln a\ngoto nowhere\n").string();
    EXPECT_NE(RunCli({"play", shifted, "--dump", "--warnings"}, f.dir).err.find("line 4: goto"),
              std::string::npos);
    const std::string included =
        f.WriteFile("i.qst", "pln a\ninclude " + (f.dir / "part.inc").string() + "\nend\n").string();
    EXPECT_NE(RunCli({"play", included, "--dump", "--warnings"}, f.dir)
                  .err.find("part.inc line 2: Calc: division by zero"),
              std::string::npos);
    // At the terminal too (an empty stdin ends the play at once).
    CliResult terminal = RunCli({"play", quest, "--warnings"}, f.dir);
    EXPECT_NE(terminal.err.find("line 2: goto: no label \":nowhere\""), std::string::npos) << terminal.err;
}

}  // namespace
}  // namespace tarvik::testing
