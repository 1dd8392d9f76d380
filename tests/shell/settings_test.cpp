// The settings file: its exact lines, the substring rules it is read by, and where it is kept.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "shell/settings.h"
#include "text/text.h"

namespace tarvik::shell {
// Failures name the settings rather than dump their bytes.
void PrintTo(const FontSpec& f, std::ostream* os) {
    *os << "{" << f.name << ", " << f.size << (f.bold ? ", bold" : "") << (f.italic ? ", italic" : "")
        << (f.underline ? ", underline" : "") << (f.strikethrough ? ", strikethrough" : "") << "}";
}
void PrintTo(const ShellSettings& s, std::ostream* os) {
    *os << "dos=" << s.dos << " inv=" << s.invVisible << " size=" << s.width << "x" << s.height
        << " Soobit=" << s.Soobit << " Zvuk=" << s.Zvuk << " Music=" << s.Music << " clk=" << s.clk;
    for (const FontSpec* f : {&s.font1, &s.font2, &s.font3}) {
        *os << " ";
        PrintTo(*f, os);
    }
    *os << " recent=[";
    for (const std::string& p : s.RecentFiles) *os << p << ";";
    *os << "]";
}
}  // namespace tarvik::shell

namespace {

using namespace tarvik::shell;
namespace fs = std::filesystem;
using tarvik::text::Cp1251ToUtf8;
using tarvik::text::Utf8ToCp1251;

// A settings file from UTF-8 lines, stored as the program stores it.
std::string File(std::initializer_list<std::string> utf8Lines) {
    std::string out;
    for (const std::string& line : utf8Lines) out += Utf8ToCp1251(line) + "\r\n";
    return out;
}

ShellSettings Read(const std::string& bytes) {
    ShellSettings s;
    ReadSettings(bytes, s);
    return s;
}

auto ExistsIn(std::set<std::string> files) {
    return [files = std::move(files)](const std::string& p) { return files.count(p) > 0; };
}

TEST(SettingsFile, DefaultsAreWrittenAsTheExactLinesInOrder) {
    const std::string expected =
        "[*Vid*]\r\n[Dos]=False\r\n[InvVisible]=False\r\n[Width]=10080\r\n[Height]=7500\r\n"
        "[*Options*]\r\n[Sobitia]=True\r\n[Zvuk]=True\r\n[Music]=True\r\n[Click]=False\r\n"
        "[*Font1*]\r\n[Font1.name]=Lucida Console\r\n[Font1.Size]=10\r\n[Font1.Bold]=False\r\n"
        "[Font1.Italic]=False\r\n[Font1.Underline]=False\r\n[Font1.Strikethrough]=False\r\n"
        "[*Font2*]\r\n[font2.name]=MS Sans Serif\r\n[font2.Size]=8\r\n[font2.Bold]=True\r\n"
        "[font2.Italic]=False\r\n[font2.Underline]=False\r\n[font2.Strikethrough]=False\r\n"
        "[*Font3*]\r\n[Font3.name]=MS Sans Serif\r\n[Font3.Size]=8\r\n[Font3.Bold]=False\r\n"
        "[Font3.Italic]=False\r\n[Font3.Underline]=False\r\n[Font3.Strikethrough]=False\r\n"
        "[*Files*]\r\n";
    EXPECT_EQ(WriteSettings(ShellSettings{}, ExistsIn({})), expected);
}

TEST(SettingsFile, WrittenThenReadBackRestoresEverySetting) {
    // Every setting away from its default, with whole font sizes (sizes are written whole).
    ShellSettings changed;
    changed.dos = true;
    changed.invVisible = true;
    changed.width = 12345;
    changed.height = 6789;
    changed.Soobit = false;
    changed.Zvuk = false;
    changed.Music = false;
    changed.clk = true;
    changed.font1 = {"Шрифт Один", 14, true, true, true, true};
    changed.font2 = {"Arial", 11, false, true, true, true};
    changed.font3 = {"DejaVu Sans", 12, true, true, true, true};
    changed.RecentFiles = {"/home/игрок/квесты/Дом.qst", "/q/b.qs1", "/q/c.qs3"};
    changed.zoom = 150;
    changed.readAloud = true;
    changed.exactColours = true;
    const std::string written =
        WriteSettings(changed, ExistsIn({"/home/игрок/квесты/Дом.qst", "/q/b.qs1", "/q/c.qs3"}));
    EXPECT_EQ(Read(written), changed);
    // The file is code page 1251: the Cyrillic name is one byte a letter.
    EXPECT_NE(written.find(Utf8ToCp1251("[Font1.name]=Шрифт Один\r\n")), std::string::npos);

    // And the defaults survive the trip too (the true/false keys that hold a default change nothing), but
    // for the sizes, which come back whole.
    ShellSettings whole;
    whole.font1.size = 10;
    whole.font2.size = whole.font3.size = 8;
    EXPECT_EQ(Read(WriteSettings(ShellSettings{}, ExistsIn({}))), whole);
}

TEST(SettingsFile, KeysMatchIgnoringCaseAndTheDosModeSetsItsSize) {
    ShellSettings s = Read(File({"[*Vid*]", "[Dos]=True", "[*Options*]", "[click]=TRUE", "[SOBITIA]=False"}));
    EXPECT_TRUE(s.dos);
    EXPECT_EQ(s.width, kDosWidthTwips);
    EXPECT_EQ(s.height, kDosHeightTwips);
    EXPECT_TRUE(s.clk);
    EXPECT_FALSE(s.Soobit);

    // The DOS mode resizes the window when its line is read: a size line after it wins, one before it loses.
    s = Read(File({"[Width]=9000", "[Dos]=True", "[Height]=8000"}));
    EXPECT_EQ(s.width, kDosWidthTwips);
    EXPECT_EQ(s.height, 8000);
}

TEST(SettingsFile, LinesAreMatchedBySubstringInTheKeysOrder) {
    // The value is what follows the key's length from the line's start, so leading text shifts it.
    EXPECT_EQ(Read(File({"[Width]= 9999.4 twips"})).width, 9999);
    EXPECT_EQ(Read(File({"xx[Width]=9000"})).width, 0);  // value read from "]=9000": no number
    // A line holding two keys acts on the first in the keys' order only.
    ShellSettings both = Read(File({"[Zvuk]=false [Music]=false"}));
    EXPECT_FALSE(both.Music);
    EXPECT_TRUE(both.Zvuk);
    // A true/false key that names the default matches nothing, even over a changed value.
    ShellSettings s;
    s.Soobit = false;
    ReadSettings(File({"[Sobitia]=True"}), s);
    EXPECT_FALSE(s.Soobit);
    // The inventory key runs the menu item's toggle: twice shows and hides again.
    EXPECT_TRUE(Read(File({"[InvVisible]=True"})).invVisible);
    EXPECT_FALSE(Read(File({"[InvVisible]=True", "[InvVisible]=true"})).invVisible);
    // Lines without "[" and section markers are skipped before the path section.
    EXPECT_EQ(Read(File({"Width]=1", "[*Width]=5*]", "", "junk"})), ShellSettings{});
}

TEST(SettingsFile, RefusedValuesLeaveThePreviousOne) {
    ShellSettings s = Read(File({"[Width]=-300", "[Height]=1e12", "[Font1.Size]=0", "[Font3.Size]=abc",
                                 "[Font2.name]=", "[Font2.Size]=9.5"}));
    EXPECT_EQ(s.width, kDefaultWidthTwips);
    EXPECT_EQ(s.height, kDefaultHeightTwips);
    EXPECT_EQ(s.font1.size, 9.75);
    EXPECT_EQ(s.font3.size, 8.25);
    EXPECT_EQ(s.font2.name, "MS Sans Serif");
    EXPECT_EQ(s.font2.size, 9.5);
}

TEST(SettingsFile, FontSizesAreReadAsTheyAreAndWrittenWholeHalvesToEven) {
    ShellSettings s = Read(File({"[Font1.Size]=12.5", "[font2.Size]=13.5", "[Font3.Size]=11.49"}));
    EXPECT_EQ(s.font1.size, 12.5);
    const std::string written = WriteSettings(s, ExistsIn({}));
    EXPECT_NE(written.find("[Font1.Size]=12\r\n"), std::string::npos);
    EXPECT_NE(written.find("[font2.Size]=14\r\n"), std::string::npos);
    EXPECT_NE(written.find("[Font3.Size]=11\r\n"), std::string::npos);
}

TEST(SettingsFile, FontKeysSetTheirOwnFontOnly) {
    ShellSettings s =
        Read(File({"[Font2.name]=Arial", "[font2.Bold]=False", "[Font2.Italic]=True",
                   "[Font3.Underline]=true", "[Font1.Strikethrough]=true", "[Font1.name]=Моно"}));
    EXPECT_EQ(s.font2.name, "Arial");
    EXPECT_FALSE(s.font2.bold);
    EXPECT_TRUE(s.font2.italic);
    EXPECT_EQ(s.font3.name, "MS Sans Serif");
    EXPECT_TRUE(s.font3.underline);
    EXPECT_FALSE(s.font3.italic);
    EXPECT_TRUE(s.font1.strikethrough);
    EXPECT_EQ(s.font1.name, "Моно");
}

TEST(SettingsFile, OnlyTheFirstTenPathLinesAreKept) {
    std::string file = File({"[*Vid*]", "[*Files*]"});
    std::set<std::string> all;
    for (int i = 1; i <= 11; ++i) {
        const std::string path = "/q/quest" + std::to_string(i) + ".qst";
        file += path + "\r\n";
        all.insert(path);
    }
    ShellSettings s = Read(file);
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(s.RecentFiles[i - 1], "/q/quest" + std::to_string(i) + ".qst");
    const std::string written = WriteSettings(s, ExistsIn(all));
    EXPECT_NE(written.find("/q/quest10.qst\r\n"), std::string::npos);
    EXPECT_EQ(written.find("/q/quest11.qst"), std::string::npos);
}

TEST(SettingsFile, PathSectionKeepsBlankLinesAndUnknownPathsButWritesOnlyExistingOnes) {
    ShellSettings s = Read(File({"[*Files*]", "/q/a.qst", "", "/q/gone.qst", "/q/квест.qst"}));
    EXPECT_EQ(s.RecentFiles[0], "/q/a.qst");
    EXPECT_EQ(s.RecentFiles[1], "");
    EXPECT_EQ(s.RecentFiles[2], "/q/gone.qst");
    EXPECT_EQ(s.RecentFiles[3], "/q/квест.qst");
    const std::string written = WriteSettings(s, ExistsIn({"/q/a.qst", "/q/квест.qst"}));
    const std::string files = written.substr(written.find("[*Files*]\r\n"));
    EXPECT_EQ(files, "[*Files*]\r\n/q/a.qst\r\n" + Utf8ToCp1251("/q/квест.qst") + "\r\n");
}

TEST(SettingsFile, PathsThatWouldNotReadBackAreNotWritten) {
    // Code page 1251 cannot spell them, or a line break would make them two lines.
    ShellSettings s;
    s.RecentFiles = {"/q/日本.qst", "/q/ok.qst", "/q/a\n[Dos]=true.qst"};
    s.font1.name = "Bad\r\nName";
    const std::string written =
        WriteSettings(s, ExistsIn({"/q/日本.qst", "/q/ok.qst", "/q/a\n[Dos]=true.qst"}));
    EXPECT_NE(written.find("[Font1.name]=Bad  Name\r\n"), std::string::npos);
    EXPECT_EQ(written.substr(written.find("[*Files*]")), "[*Files*]\r\n/q/ok.qst\r\n");
}

TEST(SettingsFile, LinesMayEndInLfOrCrAlone) {
    ShellSettings s = Read("[Click]=true\n[Width]=8000\r[*Files*]\n/q/a.qst\n/q/b.qst");
    EXPECT_TRUE(s.clk);
    EXPECT_EQ(s.width, 8000);
    EXPECT_EQ(s.RecentFiles[0], "/q/a.qst");
    EXPECT_EQ(s.RecentFiles[1], "/q/b.qst");
    EXPECT_EQ(s.RecentFiles[2], "");
}

class SettingsLocation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char* v = std::getenv(name);
            saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    void TearDown() override {
        for (auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    fs::path Dir() const { return fs::path(dir.path().toStdString()); }

    QTemporaryDir dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(SettingsLocation, BesideAWritableProgramOtherwiseInTheUsersConfigFolder) {
    EXPECT_EQ(SettingsFilePathFor(Dir()), Dir() / "tarvik.ini");

    const fs::path missing = Dir() / "no-such-folder";
    setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
    EXPECT_EQ(SettingsFilePathFor(missing), fs::path("/xdg/config/tarvik/tarvik.ini"));
    // A relative XDG_CONFIG_HOME is to be ignored.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(SettingsFilePathFor(missing), fs::path("/home/player/.config/tarvik/tarvik.ini"));
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePathFor(missing), fs::path("/home/player/.config/tarvik/tarvik.ini"));

    // A writable bin folder laid out by an install (share/tarvik beside it) is no portable copy.
    fs::create_directories(Dir() / "prefix" / "bin");
    EXPECT_EQ(SettingsFilePathFor(Dir() / "prefix" / "bin"), Dir() / "prefix" / "bin" / "tarvik.ini");
    fs::create_directories(Dir() / "prefix" / "share" / "tarvik" / "quests");
    EXPECT_EQ(SettingsFilePathFor(Dir() / "prefix" / "bin"),
              fs::path("/home/player/.config/tarvik/tarvik.ini"));
}

// The help and the demo are found relative to the program under any prefix, so an unpacked package finds its
// own.
TEST_F(SettingsLocation, HelpAndDemoOfAnyPrefixAreFoundBesideTheBinFolder) {
    const fs::path bin = Dir() / "unpacked" / "usr" / "bin";
    const fs::path share = Dir() / "unpacked" / "usr" / "share" / "tarvik";
    fs::create_directories(bin);
    EXPECT_EQ(HelpFolderFor(bin), fs::path());
    EXPECT_EQ(QuestsFolderFor(bin), fs::path());

    fs::create_directories(share / "help");
    fs::create_directories(share / "quests");
    EXPECT_EQ(HelpFolderFor(bin), fs::path()) << "a help folder without its index is no help";
    std::ofstream(share / "help" / kHelpIndex) << "<html></html>";
    EXPECT_EQ(HelpFolderFor(bin), share / "help");
    EXPECT_EQ(QuestsFolderFor(bin), share / "quests");

    // A portable copy's own folders beside the program come first.
    fs::create_directories(bin / "help");
    std::ofstream(bin / "help" / kHelpIndex) << "<html></html>";
    fs::create_directories(bin / "QUESTS");
    EXPECT_EQ(HelpFolderFor(bin), bin / "help");
    EXPECT_EQ(QuestsFolderFor(bin), bin / "QUESTS");
}

TEST_F(SettingsLocation, SavedFileLoadsBackAndReplacesThePreviousOneWhole) {
    const fs::path quest = Dir() / "квест.qst";
    std::ofstream(quest) << "end\r\n";
    const fs::path file = Dir() / "config" / "tarvik" / "tarvik.ini";

    ShellSettings s;
    s.clk = true;
    s.font1 = {"Courier New", 11, false, false, false, false};
    s.font2.size = s.font3.size = 9;
    s.RecentFiles[0] = quest.string();
    s.RecentFiles[1] = (Dir() / "deleted.qst").string();
    ASSERT_TRUE(SaveSettingsFile(file, s));
    ShellSettings loaded;
    ASSERT_TRUE(LoadSettingsFile(file, loaded));
    s.RecentFiles[1].clear();  // the missing quest is not kept
    EXPECT_EQ(loaded, s);

    s.clk = false;
    ASSERT_TRUE(SaveSettingsFile(file, s));
    ShellSettings again;
    ASSERT_TRUE(LoadSettingsFile(file, again));
    EXPECT_FALSE(again.clk);
    // Nothing but the settings file is left in its folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(file.parent_path())) ++entries;
    EXPECT_EQ(entries, 1);

    ShellSettings untouched;
    untouched.width = 1;
    EXPECT_FALSE(LoadSettingsFile(Dir() / "none.ini", untouched));
    EXPECT_EQ(untouched.width, 1);
}

TEST_F(SettingsLocation, AFailedSaveLeavesNoTemporaryFileBehind) {
    // The target is a folder with something in it, so the final rename fails.
    const fs::path target = Dir() / "tarvik.ini";
    fs::create_directories(target / "inside");
    EXPECT_FALSE(SaveSettingsFile(target, ShellSettings{}));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(Dir())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    // So does a target whose folder cannot be made because a file stands in its way.
    std::ofstream(Dir() / "plain") << "x";
    EXPECT_FALSE(SaveSettingsFile(Dir() / "plain" / "tarvik.ini", ShellSettings{}));
}

TEST(QuestFiles, ExistenceFollowsTheLoadersLooseLetterCase) {
    QTemporaryDir dir;
    const fs::path quest = fs::path(dir.path().toStdString()) / "Quest.QST";
    std::ofstream(quest) << "end\r\n";
    EXPECT_TRUE(QuestFileExists(quest.string()));
    EXPECT_TRUE(QuestFileExists((fs::path(dir.path().toStdString()) / "quest.qst").string()));
    EXPECT_FALSE(QuestFileExists(dir.path().toStdString()));  // a folder is no quest
    EXPECT_FALSE(QuestFileExists("  "));
}

}  // namespace
