// The window against hostile quests and settings: sizes far beyond the screen, a very long word, damaged
// settings lines.
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>

#include <new>

#include "frmmain_fixture.h"
#include "shell/guarded_app.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

using HostileWindow = WindowTest;

// An event handler that runs out of memory, as a quest's run inside it may: the application reports it in a
// message box and goes on, instead of letting the exception end the player.
class FailingObject : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::bad_alloc();
        return QObject::event(e);
    }
};

TEST_F(HostileWindow, WhatEscapesAnEventHandlerIsReportedAndThePlayerGoesOn) {
    ASSERT_NE(dynamic_cast<GuardedApplication*>(QCoreApplication::instance()), nullptr);
    QString reported;
    WhenModal<QMessageBox>([&reported](QMessageBox* box) {
        reported = box->text();
        box->accept();
    });
    FailingObject failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    EXPECT_TRUE(reported.contains(Q("Не хватает памяти."))) << reported.toStdString();
    // Still alive: the window takes a quest afterwards.
    w->OpenQuestFile(WriteQuest("after.qst", "pln still here\nend\n"));
    Settle();
    EXPECT_TRUE(Screen().contains(Q("still here")));
}

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
