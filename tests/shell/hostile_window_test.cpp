// The window against hostile quests and settings: sizes far beyond the screen, a very long word, damaged
// settings lines.
#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>

#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

using HostileWindow = WindowTest;

// Row 6: a window of 32767 pixels square would take gigabytes; it is held to the screen.
TEST_F(HostileWindow, SizesFromQuestsAndSettingsStayWithinTheScreen) {
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    ShellSettings s;
    s.width = s.height = kMaxWindowTwips;
    w->ApplySettings(s);
    EXPECT_LE(w->width(), room.width());
    EXPECT_LE(w->height(), room.height());

    w->OpenQuestFile(
        WriteQuest("wide.qst", "Style_FormWidth=491505\nStyle_FormMinimumHeight=491505\npln x\nend\n"));
    Settle();
    EXPECT_LE(w->width(), room.width());
    EXPECT_LE(w->height(), room.height());
}

// Row 4: a word of a megabyte is laid out without freezing the window, and reads back whole.
TEST_F(HostileWindow, AVeryLongWordIsShownWithoutFreezing) {
    w->OpenQuestFile(
        WriteQuest("word.qst", "v=\"abcdefgh\"\ni=0\n:l\nv=v+v\ni=i+1\nif i<17 then goto l\np #v$\nend\n"));
    Settle();
    QString shown = Screen();
    shown.remove(QChar(0x200B));
    EXPECT_EQ(shown.size(), 8 << 17);
    EXPECT_TRUE(shown.startsWith(Q("abcdefghabcdefgh")));
}

TEST(HostileSettings, OverlongLinesReadAsEmpty) {
    ShellSettings s;
    const std::string dotted = std::string(20000, '.') + "/q.qst";
    ReadSettings("[*Files*]\r\n" + dotted + "\r\n/quests/a.qst\r\n", s);
    EXPECT_EQ(s.RecentFiles[0], "");
    EXPECT_EQ(s.RecentFiles[1], "/quests/a.qst");
}

}  // namespace
}  // namespace tarvik::shell::testing
