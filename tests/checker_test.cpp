// The quest checker: one small quest per kind of report, with the file and line each report names.
#include <gtest/gtest.h>

#include "test_host.h"
#include "tools/checker.h"

namespace tarvik::testing {
namespace {

struct CheckCase {
    const char* name;
    const char* quest;
    std::vector<std::pair<std::string, std::string>> files;  // name, UTF-8 text beside the quest
    // "file:line:E|W:a fragment of the message", in report order; file is the base name.
    std::vector<std::string> expected;
};

std::string Brief(const tools::CheckReport& r) {
    return std::filesystem::path(r.file).filename().string() + ":" + std::to_string(r.line) + ":" +
           (r.severity == tools::CheckReport::Severity::Error ? "E" : "W") + ":" + r.message;
}

const CheckCase kCases[] = {
    {"clean quest with event labels and a computed target",
     "n=1\nbtn room1, Go\ngoto room#n$\nend\n:room1\nend\n:common\nend\n:use_lamp\nend\n:inv_x\nend\n"
     ":image_click\nend\n:form_image_click\nend\n",
     {},
     {}},
    {"targets naming no label",
     "btn hall, Go\nxbtn nowhere, {goto lost|p x}, Go\ngoto Hall\nproc missing\nbtn hall , "
     "blank\nend\n:hall\nend\n",
     {},
     {"quest.qst:2:E:xbtn target \"nowhere\"", "quest.qst:2:E:goto target \"lost\"",
      "quest.qst:4:E:proc target \"missing\"", "quest.qst:5:E:btn target \"hall \""}},
    {"labels defined twice and labels nothing names",
     "btn a, A\nend\n:a\nend\n:A\nend\n:orphan\nend\n:runs_into\npln fall\n:fallen\nend\n",
     {},
     {"quest.qst:5:W:label \":A\" is defined again (first at",
      "quest.qst:7:W:label \":orphan\" is named by no", "quest.qst:9:W:label \":runs_into\""}},
    {"line numbers survive comments, continuations and end:",
     "/* a comment\nof three\nlines */ pln a\npln b\n_c\ngoto x\nend:y\ngoto z\nend\n",
     {},
     {"quest.qst:6:E:goto target \"x\"", "quest.qst:7:W:label \":y\"", "quest.qst:8:E:goto target \"z\""}},
    {"includes: missing, other letter case, reports inside the included file",
     "include quest_pathnone.inc\ninclude quest_pathParts.INC\nend\n",
     {{"parts.inc", "pln part\n\ngoto away\n"}},
     {"quest.qst:1:E:included file", "quest.qst:2:W:included file \"/",
      "parts.inc:3:E:goto target \"away\""}},
    {"pictures, music and sounds named literally",
     "image=\"pic.png\"\nimage=\"Here.PNG\"\nmusic=\"theme\"\nmusic=\"quest_pathTune.mid\"\nplay boom.wav\n"
     "play here.png\nimage=\"a\"+n\nformpicture1=\"quest_pathno.bmp\"\nend\n",
     {{"here.png", "x"}, {"tune.mid", "x"}},
     {"quest.qst:1:E:picture \"", "quest.qst:2:W:picture", "quest.qst:3:E:music", "quest.qst:4:W:music",
      "quest.qst:5:E:sound", "quest.qst:8:E:picture"}},
    {"semicolons and ampersands that cut a line",
     "a=\"x; y\"\npln a&nbsp;b\npln <font color=red; size=2>x</font>\nb=\"Tom & Jerry\"\nc=\"Tom && Jerry\"\n"
     "<html>\n<p>a; b &nbsp; \"c & d\"</p>\n</html>\npln fine ; a comment\nend\n",
     {},
     {"quest.qst:1:W:\";\" inside quoted text", "quest.qst:2:W:\";\" inside HTML",
      "quest.qst:3:W:\";\" inside HTML", "quest.qst:4:W:\"&\" inside quoted text"}},
    {"lines read the way the engine runs them",
     "n=1\nif n<k then pln a & goto room else goto hall ; a note\nif n=1 then pln b & goto gone else pln c\n"
     "play boom.wav & pln x\nbtn hall Go\nend\n:room\nend\n:hall\nend\n",
     {{"boom.wav", "x"}},
     {"quest.qst:3:E:goto target \"gone\"", "quest.qst:5:E:\"btn hall Go\" makes no button"}},
    {"lines that are no statements",
     "image pic.png\nmusic theme\nforget_procs & pln a\n// a note\nimage=\"p.png\"\n#cmd$\nend\n",
     {{"p.png", "x"}},
     {"quest.qst:1:W:\"image pic.png\" is no statement: the engine skips it; did you mean image=\"pic.png\"?",
      "quest.qst:2:W:\"music theme\" is no statement", "quest.qst:3:W:\"forget_procs\" is no statement",
      "quest.qst:4:W:\"// a note\" is no statement: the engine skips it; a comment follows"}},
};

class CheckerCases : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckerCases, ReportsWithFileAndLine) {
    const CheckCase& c = GetParam();
    QuestFixture q;
    for (const auto& [name, body] : c.files) q.WriteFile(name, body);
    auto quest = q.WriteFile("quest.qst", c.quest);
    // The language's own reading: some of these lines are markers of the later dialect.
    tools::CheckResult result = tools::CheckQuest(quest.string(), DialectSwitch::Off);
    ASSERT_TRUE(result.readable);
    std::vector<std::string> got;
    for (const auto& r : result.reports) got.push_back(Brief(r));
    ASSERT_EQ(got.size(), c.expected.size()) << ::testing::PrintToString(got);
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].rfind(c.expected[i], 0), 0u) << got[i] << "\nexpected to start with\n"
                                                      << c.expected[i];
    bool errors = std::any_of(c.expected.begin(), c.expected.end(),
                              [](const std::string& e) { return e.find(":E:") != std::string::npos; });
    EXPECT_EQ(result.ExitCode(), c.expected.empty() ? 0 : errors ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CheckerCases, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string n;
    for (char ch : std::string(info.param.name)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return n;
});

// Quests of the later dialect, checked as it runs them (found by their markers) and as the language reads
// them.
struct DialectCase {
    const char* name;
    const char* quest;
    std::vector<std::string> dialect, language;  // as CheckCase::expected
};

const DialectCase kDialectCases[] = {
    {"links name labels",
     "pln Go [[north|hall]], [[ cellar ]] or [[a|b|nowhere]]\nend\n:hall\nend\n:cellar\nend\n",
     {"quest.qst:1:E:link target \"nowhere\" names no label"},
     {"quest.qst:3:W:label \":hall\" is named by no", "quest.qst:5:W:label \":cellar\""}},
    {"comment lines and buttons with statements",
     "btn seen=0 & cls & goto canteen, Back\n// cls & goto nowhere\nbtn n=1 & goto gone, Go\npln "
     "25//08\nend\n"
     ":canteen\nif n=1 then btn n=2 & goto canteen, Stay\nend\n",
     {"quest.qst:3:E:goto target \"gone\""},
     {"quest.qst:1:E:\"btn seen=0\" makes no button", "quest.qst:1:E:goto target \"canteen, Back\"",
      "quest.qst:2:W:\"// cls\" is no statement", "quest.qst:2:E:goto target \"nowhere\"",
      "quest.qst:3:E:\"btn n=1\" makes no button", "quest.qst:3:E:goto target \"gone, Go\"",
      "quest.qst:6:W:label \":canteen\"", "quest.qst:7:E:\"btn n=2\" makes no button",
      "quest.qst:7:E:goto target \"canteen, Stay\""}},
    {"semicolons in printed text, pictures and music",
     "pln <div style=\"color:red;\">x</div> ; a note\nimage pic.png\nmusic tune.mid\nmusic "
     "stop\nforget_procs\nend\n",
     {"quest.qst:3:E:music \""},
     {"quest.qst:1:W:\";\" inside quoted text", "quest.qst:2:W:\"image pic.png\" is no statement",
      "quest.qst:3:W:\"music tune.mid\" is no statement", "quest.qst:4:W:\"music stop\" is no statement",
      "quest.qst:5:W:\"forget_procs\" is no statement"}},
};

TEST(CheckerDialect, ReadsLinesAsTheDialectRunsThem) {
    QuestFixture q;
    q.WriteFile("pic.png", "x");
    for (const DialectCase& c : kDialectCases) {
        auto quest = q.WriteFile("quest.qst", c.quest);
        for (auto [mode, want] :
             {std::pair{DialectSwitch::Auto, c.dialect}, {DialectSwitch::Off, c.language}}) {
            std::vector<std::string> got;
            for (const auto& r : tools::CheckQuest(quest.string(), mode).reports) got.push_back(Brief(r));
            for (size_t i = 0; i < got.size() && i < want.size(); ++i) got[i].resize(want[i].size());
            EXPECT_EQ(got, want) << c.name;
        }
    }
}

// UTF-8 quests and includes are read as the loader reads them, and reports name the included file's line.
TEST(CheckerUtf8, ReadsAsTheLoaderDoes) {
    QuestFixture q;
    q.WriteBytes("part.inc", "pln Часть\ngoto чаща\n");
    auto quest = q.WriteBytes("quest.qst", "btn Лес, В лес\ninclude quest_pathpart.inc\nend\n:лес\nend\n");
    tools::CheckResult result = tools::CheckQuest(quest.string());
    ASSERT_EQ(result.reports.size(), 1u);
    EXPECT_EQ(Brief(result.reports[0]), "part.inc:2:E:goto target \"чаща\" names no label");
}

TEST(CheckerCli, ExitCodesAndTheDemoQuestChecksClean) {
    QuestFixture q;
    auto clean = q.WriteFile("clean.qst", "btn a, A\nend\n:a\nend\n");
    auto warned = q.WriteFile("warned.qst", "pln \"a;b\"\nend\n");
    auto broken = q.WriteFile("broken.qst", "goto nowhere\n");
    CliResult r = RunCli({"check", clean.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("no problems found"), std::string::npos) << r.out;
    r = RunCli({"check", warned.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 2) << r.out << r.err;
    EXPECT_NE(r.out.find(warned.string() + ":1: warning: "), std::string::npos) << r.out;
    r = RunCli({"check", broken.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find(broken.string() + ":1: error: goto target \"nowhere\" names no label"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1 error, 0 warnings"), std::string::npos) << r.out;
    r = RunCli({"check", (q.dir / "absent.qst").string()}, q.dir);
    EXPECT_EQ(r.exitCode, 1);

    for (const char* demo : {"demo.qst", "demo.qs1", "demo.qs3"}) {
        r = RunCli({"check", std::string(TARVIK_SOURCE_DIR) + "/quests/" + demo}, q.dir);
        EXPECT_EQ(r.exitCode, 0) << demo << "\n" << r.out << r.err;
    }
}

}  // namespace
}  // namespace tarvik::testing
