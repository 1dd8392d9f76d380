// Printed text of the family's later dialect: links, HTML, textalign and inline pictures, each played in
// DialectMode and with the switch off, where the language's own behaviour must stay as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_host.h"

namespace tarvik::testing {
namespace {

using Strings = std::vector<std::string>;

class DialectTextTest : public ::testing::TestWithParam<bool>, public QuestFixture {
protected:
    void Play(const std::string& quest) {
        engine->SetDialectSwitch(GetParam() ? DialectSwitch::On : DialectSwitch::Off);
        QuestFixture::Run(quest);
        ASSERT_EQ(engine->dialect(), GetParam());
    }
    bool On() const { return GetParam(); }
    const TextRun* RunWith(const std::string& utf8) const {
        for (const auto& run : engine->textRuns())
            if (U(run.text) == utf8) return &run;
        return nullptr;
    }
};

TEST_P(DialectTextTest, LinksAddButtonEntriesAndTheirChoiceKeepsTheText) {
    Play(
        "pln Go [[the <b>door</b>|x| hall ]] or [[cellar]].\n"
        "end\n"
        ":hall\n"
        "pln In the hall, [#Last_Btn_Caption$].\n"
        "end\n");
    if (!On()) {
        EXPECT_EQ(Text(), "Go [[the <b>door</b>|x| hall ]] or [[cellar]]. \r\n");
        EXPECT_TRUE(Buttons().empty());
        return;
    }
    EXPECT_EQ(Text(), "Go the door|x or cellar. \r\n");
    EXPECT_EQ(Buttons(), (Strings{"the door|x", "cellar //phantom"}));
    EXPECT_EQ(engine->buttonLabels()[0], "hall");
    const TextRun* door = RunWith("the door|x");
    ASSERT_TRUE(door);
    EXPECT_TRUE(door->underline && door->link == engine->buttonLink(0) && door->link != 0);
    // A phantom's caption is plain text.
    EXPECT_EQ(std::count_if(engine->textRuns().begin(), engine->textRuns().end(),
                            [](const TextRun& r) { return r.link != 0; }),
              1);
    EXPECT_NE(engine->buttonLink(1), 0);

    engine->ChooseLink(door->link);
    EXPECT_EQ(Text(), "Go the door|x or cellar. \r\nIn the hall, [the door|x]. \r\n");
    EXPECT_TRUE(Buttons().empty());
    engine->ChooseLink(1);  // its entry is gone
    EXPECT_EQ(Text(), "Go the door|x or cellar. \r\nIn the hall, [the door|x]. \r\n");
}

TEST_P(DialectTextTest, HtmlBecomesLooksAndLeavesCaptions) {
    Play(
        "textalign=2\n"
        "pln <center><h1>Title</h1></center>a<1>b\n"
        "pln <font color=red>right</font>\n"
        "btn room, <i>Enter</i> <2>\n"
        "end\n"
        ":room\n"
        "pln [#Last_Btn_Caption$]\n"
        "end\n");
    if (!On()) {
        EXPECT_EQ(Text(), "<center><h1>Title</h1></center>a<1>b \r\n<font color=red>right</font> \r\n");
        EXPECT_EQ(Buttons(), (Strings{"<i>Enter</i> <2> "}));
        return;
    }
    EXPECT_EQ(Text(), "Title\r\na<1>b \r\nright \r\n");
    const TextRun* title = RunWith("Title");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->heading, 1);
    EXPECT_EQ(title->align, 3);  // the tag wins over textalign
    const TextRun* right = RunWith("right");
    ASSERT_TRUE(right);
    EXPECT_EQ(right->align, 2);
    EXPECT_EQ(right->color, 255);
    EXPECT_EQ(Buttons(), (Strings{"Enter <2> "}));
    engine->ChooseButton(0);
    EXPECT_EQ(Text(), "[Enter <2>] \r\n");
}

TEST_P(DialectTextTest, ImageStatementShowsAPictureLineUntilCls) {
    Play(
        "pln before\n"
        "image pics\\a.png\n"
        "btn next, Next\n"
        "end\n"
        ":next\n"
        "pln after\n"
        "end\n");
    Strings pictures;
    for (const auto& run : engine->textRuns())
        if (!run.picture.empty()) pictures.push_back(U(run.picture));
    EXPECT_EQ(pictures, On() ? Strings{"pics\\a.png"} : Strings{});
    EXPECT_EQ(Text(), "before \r\n");
    engine->ChooseButton(0);
    EXPECT_EQ(engine->textRuns().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Switch, DialectTextTest, ::testing::Bool());

TEST(DialectTextDump, MarksLinksAndListsInlinePictures) {
    QuestFixture q;
    auto quest =
        q.WriteFile("quest.qst", "pln <b>Go</b> [[in|hall]]\nimage a.png\nbtn hall, Hall\nend\n:hall\n");
    CliResult r = RunCli({"play", quest.string(), "--dialect", "on", "--dump"}, q.dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(R"("text":"Go in \r\n")"), std::string::npos) << r.out;
    // Only a link's entry carries the key: the entries of btn are dumped as they always were.
    EXPECT_NE(r.out.find(R"("caption":"in","label":"hall","commands":"","link":true})"), std::string::npos);
    EXPECT_NE(r.out.find(R"("caption":"Hall ","label":"hall","commands":""})"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("inline":[{"file":"a.png"}])"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarvik::testing
