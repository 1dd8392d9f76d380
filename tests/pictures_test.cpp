// The style pass, picture slots, the picture window and the clicks on pictures, seen through the host calls
// they make and the picture model the fronts read.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "test_host.h"

namespace tarvik::testing {
namespace {

class PicturesTest : public ::testing::Test, public QuestFixture {
protected:
    using QuestFixture::Run;

    // The host calls after the new game's reset (which clears the background and the picture window).
    std::vector<std::string> LookAfterReset() const {
        // The caption stays from an earlier game.
        const std::vector<std::string> reset = {"load background 0 -", "load main 1 -", "window hidden "};
        EXPECT_GE(host.look.size(), reset.size());
        for (size_t i = 0; i < reset.size() && i < host.look.size(); ++i)
            EXPECT_EQ(host.look[i].rfind(reset[i], 0), 0u) << Joined();
        return std::vector<std::string>(host.look.begin() + std::min(reset.size(), host.look.size()),
                                        host.look.end());
    }
    std::string Joined() const {
        std::string all;
        for (const auto& l : host.look) all += l + "\n";
        return all;
    }
    std::string In(const std::string& name) const { return (dir / name).string(); }
    double Number(const std::string& name) const {
        double d = -1;
        const Value* v = engine->FindVariable(name);
        EXPECT_TRUE(v && v->ToNumber(d)) << name;
        return d;
    }
    const PictureState& Slot(int i) const { return engine->pictures().images[i - 1]; }
    const PictureState& Overlay(int i) const { return engine->pictures().overlays[i - 2]; }
};

TEST_F(PicturesTest, StylePassRunsInOrderAndTheLockKeepsSizesAndColoursOnly) {
    WriteBytes("bg.bmp", "b");
    WriteBytes("pic.bmp", "p");
    const std::string quest =
        "Style_FormMinimumHeight = 6000\n"
        "Style_FormWidth = 9000\n"
        "Style_TextColor = 255\n"
        "Style_BackColor = 65280\n"
        "style_formpicture = \"bg.bmp\"\n"
        "Image = \"pic\"\n"
        "image_caption = \"Вид\"\n"
        "end\n";
    for (bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "locked" : "free");
        host.look.clear();
        engine->options().SvBlock = locked;
        Run(quest);
        std::vector<std::string> expected;
        if (!locked) expected = {"size 6000 9000", "colours 255 65280"};
        for (const std::string& l :
             {"load background 0 " + In("bg.bmp"), "load main 1 " + In("pic.bmp"),
              std::string("load overlay 2 -"), std::string("place overlay 2 0 0 hidden"),
              std::string("window shown Вид")})
            expected.push_back(l);
        EXPECT_EQ(LookAfterReset(), expected) << Joined();
        EXPECT_EQ(engine->pictures().background, "bg.bmp");
        EXPECT_EQ(engine->pictures().image, "pic.bmp");
        EXPECT_EQ(U(engine->pictures().caption), "Вид");
    }
}

TEST_F(PicturesTest, StylesWaitForThePageAndZeroSizesAreLeftAlone) {
    std::vector<std::string> atInput;
    host.waitEvents.push_back([&](Engine& e) {
        atInput = host.look;
        e.SubmitLine("x");
    });
    Run("Style_BackColor = 255\nStyle_FormWidth = 9000\ninput v\nend\n");
    ASSERT_EQ(atInput.size(), 3u) << "nothing but the reset before the page is shown";
    std::vector<std::string> after = LookAfterReset();
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], "size 0 9000");
    EXPECT_EQ(after[1], "colours -2147483640 255");
}

TEST_F(PicturesTest, ImageTypeAddsAnExtensionOnlyToNamesWithoutOne) {
    struct Case {
        const char* assign;
        const char* name;
        const char* expected;
    };
    Run("end\n");
    for (const Case& c : std::vector<Case>{{"", "map", "map.bmp"},
                                           {"ImageType=0", "map", "map.bmp"},
                                           {"ImageType=1", "map", "map.ico"},
                                           {"ImageType=2", "map", "map.rle"},
                                           {"ImageType=3", "map", "map.wmf"},
                                           {"ImageType=4", "map", "map.emf"},
                                           {"ImageType=5", "map", "map.gif"},
                                           {"ImageType=6", "map", "map.jpg"},
                                           {"ImageType=\"6\"", "map", "map.jpg"},
                                           {"ImageType=6", "map.png", "map.png"},
                                           {"ImageType=0", "pics.old\\map", "pics.old\\map"},
                                           {"ImageType=7", "map", "map"},
                                           {"ImageType=-1", "map", "map"},
                                           {"ImageType=\"jpg\"", "map", "map"}}) {
        engine->KillVariables();
        std::string s = c.assign;
        if (!s.empty()) engine->Do_Perem(s);
        EXPECT_EQ(engine->WithImageType(c.name), c.expected) << c.assign << " " << c.name;
    }
}

TEST_F(PicturesTest, SlotsShowInOrderUntilTheFirstZero) {
    WriteBytes("a.bmp", "a");
    WriteBytes("b.bmp", "b");
    WriteBytes("c.bmp", "c");
    Run("formpicture1 = \"a.bmp\"\nformpicture1top = 10\nformpicture1left = 20\n"
        "formpicture2 = \"b\"\nformpicture2top = 30\nformpicture3 = \"C.BMP\"\npicture\n"
        "formpicture2 = 0\npicture\nend\n");
    EXPECT_EQ(Slot(1).file, "a.bmp");
    EXPECT_EQ(Slot(1).top, 10);
    EXPECT_EQ(Slot(1).left, 20);
    EXPECT_TRUE(Slot(1).visible);
    EXPECT_FALSE(Slot(2).visible);
    EXPECT_EQ(Slot(2).file, "");
    EXPECT_EQ(Slot(3).file, "C.BMP") << "a name in other letter case finds the file";
    EXPECT_TRUE(Slot(3).visible) << "slots after the zero keep what they show";
    EXPECT_FALSE(Slot(4).used);
    EXPECT_NE(std::find(host.look.begin(), host.look.end(), "load slot 3 " + In("c.bmp")), host.look.end())
        << Joined();
}

TEST_F(PicturesTest, PictureWithTheFirstSlotUnsetHidesItAndShowsNothing) {
    Run("picture\nend\n");
    const std::vector<std::string> expected = {"load slot 1 -", "place slot 1 0 0 hidden"};
    std::vector<std::string> slots;
    for (const auto& l : host.look)
        if (l.find(" slot ") != std::string::npos) slots.push_back(l);
    EXPECT_EQ(slots, expected);
    EXPECT_FALSE(Slot(1).visible);
}

TEST_F(PicturesTest, AFileThatCannotBeLoadedKeepsTheOldPictureButStillMoves) {
    WriteBytes("a.bmp", "a");
    WriteBytes("bad.bmp", "not a picture");
    host.undecodable = {"bad.bmp"};
    Run("formpicture1 = \"a.bmp\"\npicture\nformpicture1 = \"missing.bmp\"\nformpicture1top = 5\npicture\n"
        "formpicture1 = \"bad.bmp\"\nformpicture1left = 7\npicture\nend\n");
    EXPECT_EQ(Slot(1).file, "a.bmp");
    EXPECT_EQ(Slot(1).top, 5);
    EXPECT_EQ(Slot(1).left, 7);
    EXPECT_TRUE(Slot(1).visible);
}

TEST_F(PicturesTest, OverlaysLoopUntilTheFirstEmptyAndZeroClosesTheWindow) {
    for (const char* f : {"main.bmp", "o2.bmp", "o3.bmp"}) WriteBytes(f, "x");
    PictureModel first;
    host.waitEvents.push_back([&](Engine& e) {
        first = e.pictures();
        e.PressKey(13);
    });
    host.waitEvents.push_back([&](Engine& e) { e.PressKey(13); });
    Run("Image = \"main.bmp\"\nImage2 = \"o2.bmp\"\nimage2top = 150\nimage2left = 300\nImage3 = \"o3\"\n"
        "image_caption = \"Окно\"\nanykey k\n"
        "Image3 = 0\nimage_caption = 0\nanykey k\n"
        "Image = 0\nend\n");
    EXPECT_TRUE(first.windowVisible);
    EXPECT_EQ(first.image, "main.bmp");
    EXPECT_EQ(first.overlays[0].file, "o2.bmp");
    EXPECT_EQ(first.overlays[0].top, 150);
    EXPECT_EQ(first.overlays[0].left, 300);
    EXPECT_EQ(first.overlays[1].file, "o3.bmp");
    EXPECT_TRUE(first.overlays[1].visible);
    EXPECT_FALSE(first.overlays[2].visible);

    // The second page closed overlay 3; the caption "0" kept the old one; the third closed the window.
    EXPECT_TRUE(Overlay(2).visible);
    EXPECT_FALSE(Overlay(3).visible);
    EXPECT_EQ(U(engine->pictures().caption), "Окно");
    EXPECT_FALSE(engine->pictures().windowVisible);
    EXPECT_EQ(engine->pictures().image, "");
    EXPECT_EQ(host.look.back(), "window hidden Окно");
}

TEST_F(PicturesTest, AMissingOrUndecodableMainPictureHidesANewWindow) {
    WriteBytes("bad.bmp", "x");
    host.undecodable = {"bad.bmp"};
    for (const char* name : {"nothere", "bad.bmp"}) {
        Run(std::string("Image = \"") + name + "\"\nend\n");
        EXPECT_FALSE(engine->pictures().windowVisible) << name;
        EXPECT_EQ(host.look.back(), "window hidden ") << name;
    }
}

TEST_F(PicturesTest, ClickVariablesReadOneOnlyInsideTheProcedure) {
    for (const char* f : {"a.bmp", "main.bmp", "o2.bmp"}) WriteBytes(f, "x");
    Run("formpicture1 = \"a.bmp\"\npicture\nImage = \"main.bmp\"\nImage2 = \"o2.bmp\"\nend\n"
        ":form_image_click\ninside = form_click1\nend\n"
        ":image_click\nb1 = BMouse1\nb2 = BMouse2\nx = xmouse\ny = ymouse\nend\n");
    engine->ClickSlot(1);
    EXPECT_EQ(Var("inside"), "1");
    EXPECT_EQ(Var("form_click1"), "0");

    engine->ClickImage(2, 151.1, 302.2);
    EXPECT_EQ(Var("b1"), "2");
    EXPECT_EQ(Var("BMouse1"), "0");
    EXPECT_EQ(Var("x"), "10") << "151.1 twips at 15.11 to the unit";
    EXPECT_EQ(Var("y"), "20");

    engine->ClickImage(1, 100, 0);
    EXPECT_NEAR(Number("xmouse"), 100 / 15.11, 1e-9) << "the fraction is kept";
    EXPECT_EQ(Var("b1"), "1");

    engine->ClickOverlay(2);
    EXPECT_EQ(Var("b2"), "1");
    EXPECT_EQ(Var("BMouse2"), "0");
}

TEST_F(PicturesTest, FilesAreFoundWithBackslashesAnyCaseAndSlotsInTheCurrentFolderFirst) {
    WriteBytes("Pics/Map.GIF", "x");
    WriteBytes("only.bmp", "x");
    WriteBytes("here.bmp", "quest's copy");
    auto cwd = std::filesystem::temp_directory_path() / ("tarvik-cwd-" + std::to_string(getpid()));
    std::filesystem::create_directories(cwd);
    std::ofstream(cwd / "here.bmp") << "current folder's copy";
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(cwd);
    Run("ImageType = 5\nImage = \"pics\\map\"\nformpicture1 = \"here.bmp\"\nformpicture2 = "
        "\"only.bmp\"\npicture\nend\n");
    std::filesystem::current_path(old);
    std::filesystem::remove_all(cwd);

    auto has = [&](const std::string& line) {
        return std::find(host.look.begin(), host.look.end(), line) != host.look.end();
    };
    EXPECT_TRUE(has("load main 1 " + In("Pics/Map.GIF"))) << Joined();
    EXPECT_EQ(engine->pictures().image, "pics\\map.gif") << "named as the quest named it";
    EXPECT_TRUE(has("load slot 1 here.bmp")) << Joined();
    EXPECT_TRUE(has("load slot 2 " + In("only.bmp"))) << Joined();
}

TEST_F(PicturesTest, ANewGameClearsTheBackgroundAndThePictureWindowButNotTheSlots) {
    for (const char* f : {"a.bmp", "bg.bmp", "main.bmp"}) WriteBytes(f, "x");
    Run("btn go, Go\nend\n:go\nformpicture1 = \"a.bmp\"\npicture\nstyle_formpicture = \"bg.bmp\"\nImage = "
        "\"main.bmp\"\n"
        "end\n");
    engine->ChooseButton(0);
    ASSERT_EQ(engine->pictures().background, "bg.bmp");
    ASSERT_TRUE(engine->pictures().windowVisible);
    engine->NewGame();
    EXPECT_EQ(engine->pictures().background, "");
    EXPECT_FALSE(engine->pictures().windowVisible);
    EXPECT_EQ(engine->pictures().image, "");
    EXPECT_TRUE(Slot(1).visible);
    EXPECT_EQ(Slot(1).file, "a.bmp");
}

TEST_F(PicturesTest, CliDumpsPicturesAndClicksThem) {
    for (const char* f : {"a.bmp", "main.bmp", "o2.bmp"}) WriteBytes(f, "x");
    auto q = WriteFile("quest.qst",
                       "formpicture1 = \"a.bmp\"\nformpicture1top = 10\nformpicture1left = 20\npicture\n"
                       "Image = \"main\"\nImage2 = \"o2.bmp\"\nimage2top = 30\nend\n"
                       ":form_image_click\ninside = form_click1\nend\n"
                       ":image_click\nb1 += BMouse1\nb2 = BMouse2\nx = xmouse\nend\n");
    auto s = WriteBytes("script.txt", "slot 1\nimage 151.1 0 4\noverlay 2\nslot 2\n");
    CliResult r = RunCli({"play", q.string(), "--script", s.string(), "--dump"}, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(
        r.out.find("\"pictures\":{\"slots\":[{\"slot\":1,\"file\":\"a.bmp\",\"top\":10,\"left\":20,"
                   "\"visible\":true}],\"background\":\"\",\"window\":{\"visible\":true,\"image\":"
                   "\"main.bmp\",\"caption\":\"\",\"overlays\":[{\"index\":2,\"file\":\"o2.bmp\",\"top\":30,"
                   "\"left\":0,\"visible\":true}]}}"),
        std::string::npos)
        << r.out;
    for (const char* v : {"{\"name\":\"inside\",\"value\":1}", "{\"name\":\"b1\",\"value\":4}",
                          "{\"name\":\"b2\",\"value\":1}", "{\"name\":\"x\",\"value\":10}"})
        EXPECT_NE(r.out.find(v), std::string::npos) << v << " in " << r.out;
    EXPECT_NE(r.err.find("slot 2 is not shown"), std::string::npos) << r.err;

    for (const char* bad : {"slot 0\n", "slot 129\n", "overlay 1\n", "overlay 102\n", "image 1\n",
                            "image a 2\n", "image 1 2 3\n", "image -1 2\n", "image 1 2 1 1\n"}) {
        auto b = WriteBytes("bad.txt", bad);
        CliResult e = RunCli({"play", q.string(), "--script", b.string(), "--dump"}, dir);
        EXPECT_EQ(e.exitCode, 2) << bad;
        EXPECT_NE(e.err.find("line 1"), std::string::npos) << bad << e.err;
    }
}

}  // namespace
}  // namespace tarvik::testing

namespace tarvik::testing {
namespace {

TEST(DemoPictures, TheHutWindowShowsThePictureAndAnswersClicks) {
    QuestFixture q;  // only for its temporary folder
    auto script = q.dir / "window.script";
    std::ofstream(script) << "type Анна\nanswer 7\nchoose 1\nchoose 3\nslot 1\nimage 151.1 302.2\n";
    CliResult r = RunCli(
        {"play", std::string(TARVIK_SOURCE_DIR) + "/quests/demo.qst", "--script", script.string(), "--dump"},
        q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"slots\":[{\"slot\":1,\"file\":\"pictures\\\\forest.png\",\"top\":150,\"left\":24,"
                         "\"visible\":true}]"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"window\":{\"visible\":true,\"image\":\"pictures\\\\forest.png\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Вы протираете стекло рукавом"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Вы показываете на точку (10, 20)"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarvik::testing

namespace tarvik::testing {
namespace {

TEST(TerminalPictures, ThePageNamesThePicturesItShows) {
    QuestFixture q;
    q.WriteBytes("a.bmp", "x");
    q.WriteBytes("main.bmp", "x");
    auto quest = q.WriteFile(
        "quest.qst", "formpicture1 = \"a.bmp\"\npicture\nImage = \"main\"\nbtn x, Дальше\nend\n:x\nend\n");
    CliResult r = RunCli({"play", quest.string()}, q.dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Pictures: a.bmp; picture window main.bmp;"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarvik::testing
